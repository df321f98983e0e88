// Line and column of an offset in a text: CR LF, LF and a lone CR each end a line.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace kpx {

class LineIndex {
 public:
  explicit LineIndex(std::u16string_view text);

  struct Position {
    long line;    // 1-based
    long column;  // 1-based, in UTF-16 code units
  };
  Position At(size_t offset) const;

 private:
  std::vector<size_t> starts_;  // offset of each line's first character, ascending
};

}  // namespace kpx
