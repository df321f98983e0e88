// The server block and CDATA parsers of MarkupLexer.
#include "base/ascii_case.h"
#include "markup/markup_char_classes.h"
#include "markup/markup_lexer.h"

namespace kpx {

namespace {

constexpr std::u16string_view kCDataOpener = u"[CDATA[";

// Whether "<!" (not a comment), "<%", "<?" or "<@" starts at offset.
bool DeclarationOpensAt(std::u16string_view text, std::size_t offset) {
  if (offset + 1 >= text.size() || text[offset] != u'<') return false;
  switch (text[offset + 1]) {
    case u'!':
      return !(offset + 3 < text.size() && text[offset + 2] == u'-' && text[offset + 3] == u'-');
    case u'%':
    case u'?':
    case u'@':
      return true;
    default:
      return false;
  }
}

}  // namespace

// The block ends at the first token that opens or closes markup; quotes inside are read as script
// strings, so that a quoted ">" does not end it.
bool MarkupLexer::ParseServerBlock(MarkupString* name) {
  SkipBlanks();
  const std::size_t start = pos_;
  if (!DeclarationOpensAt(Text(), start)) return false;
  std::size_t p = start + 2;
  while (p < size_ && IsBlank(data_[p])) ++p;
  if (p >= size_ || !HasCharClass(data_[p], kCharNameStart)) return false;
  const std::size_t name_begin = p;
  while (p < size_ && HasCharClass(data_[p], kCharName)) ++p;
  if (name != nullptr) name->Assign(Text().substr(name_begin, p - name_begin));
  pos_ = p;
  declaration_name_begin_ = name_begin;
  declaration_name_end_ = p;

  script_mode_ = true;
  for (;;) {
    const LexToken kind = NextToken();
    if (kind == LexToken::kEnd || kind == LexToken::kTagOpen || kind == LexToken::kDeclOpen ||
        kind == LexToken::kEndTagOpen || kind == LexToken::kTagClose ||
        kind == LexToken::kServerClose) {
      break;
    }
  }
  script_mode_ = false;
  return true;
}

// "<![CDATA[" ... "]]>". An opener in another letter case is taken and, when repairs are
// recorded, rewritten. Without "]]>" the content runs to the end of the text.
bool MarkupLexer::ParseCData(MarkupString* content) {
  SkipBlanks();
  const std::size_t start = pos_;
  if (!DeclarationOpensAt(Text(), start)) return false;
  const std::size_t opener = start + 2;
  const std::u16string_view rest = Text().substr(opener);
  if (!StartsWithIgnoringAsciiCase(rest, kCDataOpener)) return false;
  if (rest.substr(0, kCDataOpener.size()) != kCDataOpener && record_repairs_) {
    RecordDelete(opener, kCDataOpener.size());
    RecordInsert(opener, kCDataOpener, true);
  }
  const std::size_t content_begin = opener + kCDataOpener.size();
  std::size_t close = Text().find(u"]]>", content_begin);
  std::size_t content_end = close == std::u16string_view::npos ? size_ : close;
  pos_ = close == std::u16string_view::npos ? size_ : close + 3;
  token_ = TokenSpan{LexToken::kOther, start, pos_, content_begin, content_end};
  if (content != nullptr)
    content->Assign(Text().substr(content_begin, content_end - content_begin));
  return true;
}

}  // namespace kpx
