#include "textutil/tag_extent.h"

namespace kpx {

bool TextAt(std::u16string_view text, std::size_t offset, std::u16string_view literal) {
  return offset <= text.size() && text.substr(offset, literal.size()) == literal;
}

TagExtent MeasureTag(const DocumentScanner& scanner) {
  const std::u16string_view text = scanner.Text();
  TagExtent extent;
  extent.start = scanner.TagStart();
  // The tag parser stops right after the token that closes a tag; a tag it did not see closed
  // runs to the end of the text. (The scanner may have moved on past a "<!--" behind a script
  // start tag, so its own position is not the tag's end.)
  const TokenSpan& last = scanner.LastToken();
  if ((last.kind == LexToken::kTagClose || last.kind == LexToken::kServerClose) &&
      last.begin > extent.start && last.end <= scanner.ItemEnd()) {
    extent.close = last.begin;
    extent.end = last.end;
    extent.insert_point = last.begin;
    if (scanner.Tag().self_closing) {
      std::size_t p = last.begin;
      while (p > extent.start && IsBlank(text[p - 1])) --p;
      if (p > extent.start && text[p - 1] == u'/') extent.insert_point = p - 1;
    }
  } else {
    extent.end = text.size();
  }
  extent.next_item = SkipBlanksFrom(text, extent.end);
  return extent;
}

std::size_t DeclarationEnd(const DocumentScanner& scanner) {
  const TokenSpan& last = scanner.LastToken();
  const bool opens_more = last.kind == LexToken::kTagOpen || last.kind == LexToken::kDeclOpen ||
                          last.kind == LexToken::kEndTagOpen;
  if (opens_more && last.begin > scanner.ItemStart() && last.end == scanner.Position()) {
    return last.begin;
  }
  return scanner.Position();
}

}  // namespace kpx
