// TagExtent: where the tag that the document scanner has just read lies in its text, and where
// the item after it starts.
#pragma once

#include <cstddef>
#include <string_view>

#include "markup/document_scanner.h"
#include "markup/markup_char_classes.h"

namespace kpx {

struct TagExtent {
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  std::size_t start = 0;     // "<"
  std::size_t end = 0;       // just after the tag: after its ">", or the end of the text
  std::size_t close = npos;  // the token that closes the tag (">" or "%>"...); npos: none
  // Where text meant to go right before the tag's final ">" is inserted: before the closing
  // token, or before the "/" of a tag written "/>". npos when the tag is not closed.
  std::size_t insert_point = npos;
  std::size_t next_item = 0;  // end, plus the whitespace and line breaks after it

  bool closed() const { return close != npos; }
};

// The extent of the tag the scanner returned last (call right after NextItem gave a tag).
TagExtent MeasureTag(const DocumentScanner& scanner);

// The first offset at or after from that is not whitespace or a line break (at most the size).
inline std::size_t SkipBlanksFrom(std::u16string_view text, std::size_t from) {
  std::size_t p = from < text.size() ? from : text.size();
  while (p < text.size() && IsBlank(text[p])) ++p;
  return p;
}

// Where the declaration or server block the scanner returned last really ends. One that is not
// closed runs on to the next "<" that opens something, and the scanner has read that "<" with it;
// the declaration ends before it, so that the tag there can be read as a tag.
std::size_t DeclarationEnd(const DocumentScanner& scanner);

// Whether text holds literal at offset.
bool TextAt(std::u16string_view text, std::size_t offset, std::u16string_view literal);

}  // namespace kpx
