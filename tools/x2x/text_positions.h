// Line and column of a byte offset in UTF-8 text, for messages that point into a file.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace x2x {

struct TextPosition {
  size_t line = 1;    // 1-based
  size_t column = 1;  // 1-based, in characters
};

class TextPositions {
 public:
  // Indexes the line starts once. "\n", "\r\n" and a lone "\r" each end a line, as an XML parser
  // counts them.
  explicit TextPositions(std::string_view text);

  // An offset past the end is placed at the end.
  TextPosition Locate(size_t offset) const;

 private:
  std::string_view text_;
  std::vector<size_t> lineStarts_;
};

}  // namespace x2x
