// Offsets to lines and columns.
#include "x2x/text_positions.h"

#include <algorithm>

namespace x2x {

TextPositions::TextPositions(std::string_view text) : text_(text) {
  lineStarts_.push_back(0);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      lineStarts_.push_back(i + 1);
    }
  }
}

TextPosition TextPositions::Locate(size_t offset) const {
  offset = std::min(offset, text_.size());
  auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  size_t lineIndex = static_cast<size_t>(after - lineStarts_.begin()) - 1;
  TextPosition position;
  position.line = lineIndex + 1;
  // Count characters, not bytes: UTF-8 continuation bytes do not start a character.
  for (size_t i = lineStarts_[lineIndex]; i < offset; ++i) {
    if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) ++position.column;
  }
  return position;
}

}  // namespace x2x
