// The loop both parsers run over a template: each markup item goes to the parser's handler for
// its kind until the text ends or the parse aborts. Text items that mean the same to every parser
// (an unterminated construct, a stray "<", runs of words) are handled here; a placeholder brace
// and any other text token go to the parser.
#pragma once

#include "markup/markup_char_classes.h"
#include "recognition/parse_context.h"

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

}  // namespace kpx
