// What both parsers do alike: the loop they run over a template, where each markup item goes to
// the parser's handler for its kind until the text ends or the parse aborts (text items that mean
// the same to every parser, an unterminated construct, a stray "<" or runs of words, are handled
// here), and the reading of block markers.
#pragma once

#include "markup/markup_char_classes.h"
#include "recognition/parse_context.h"
#include "recognition/template_syntax.h"

namespace kpx {

// Parser has OnBrace(start), OnOtherText(kind, start), OnComment(), OnTag(), OnDeclaration() and
// OnCData().
template <typename Parser>
void ReadItems(ParseContext& context, Parser& parser) {
  DocumentScanner& scanner = context.Scanner();
  const std::u16string_view text = context.Text();
  while (!context.Aborted()) {
    switch (scanner.NextItem()) {
      case MarkupItem::kEnd:
        return;
      case MarkupItem::kText: {
        const size_t start = scanner.ItemStart();
        const LexToken kind = scanner.LastTokenKind();
        switch (kind) {
          case LexToken::kAbort:
            context.RecordError(3, start);
            break;
          case LexToken::kTagOpen:
            if (start + 1 < text.size() && (CharClassOf(text[start + 1]) & kCharAsciiLetter)) {
              context.RecordError(6, start);
            }
            break;
          case LexToken::kLBrace:
            parser.OnBrace(start);
            break;
          case LexToken::kName:
          case LexToken::kOther:
            // Words are literal text: the ones that follow need not be read one by one.
            scanner.SkipPlainItems();
            break;
          default:
            parser.OnOtherText(kind, start);
            break;
        }
        break;
      }
      case MarkupItem::kComment:
        parser.OnComment();
        break;
      case MarkupItem::kTag:
        parser.OnTag();
        break;
      case MarkupItem::kDeclaration:
        parser.OnDeclaration();
        break;
      case MarkupItem::kCData:
        parser.OnCData();
        break;
      default:
        break;
    }
  }
}

// A block marker in the comment body at [start, end): "BEGIN [type] name" goes to
// parser.Begin(type, name, start, end), "END [type] name" to parser.End; a keyword alone is
// reported. False when the comment is no marker.
template <typename Parser>
bool ReadBlockMarker(ParseContext& context, Parser& parser, std::u16string_view body, size_t start,
                     size_t end) {
  const std::vector<std::u16string_view> words = MarkerWords(body, 3);
  if (words.empty() || (words[0] != u"BEGIN" && words[0] != u"END")) return false;
  if (words.size() == 1) {
    context.RecordError(4, start);
    return true;
  }
  const std::u16string_view type = words.size() >= 3 ? words[1] : std::u16string_view();
  const std::u16string_view name = words.size() >= 3 ? words[2] : words[1];
  if (words[0] == u"BEGIN") {
    parser.Begin(type, name, start, end);
  } else {
    parser.End(type, name, start, end);
  }
  context.CheckHostCalls(start);
  return true;
}

}  // namespace kpx
