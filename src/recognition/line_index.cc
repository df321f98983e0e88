// The line-start table and its bisection.
#include "recognition/line_index.h"

#include <algorithm>

namespace kpx {

LineIndex::LineIndex(std::u16string_view text) {
  starts_.push_back(0);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n') {
      starts_.push_back(i + 1);
    } else if (text[i] == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      starts_.push_back(i + 1);
    }
  }
}

LineIndex::Position LineIndex::At(size_t offset) const {
  // The last line start not after the offset.
  auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
  const size_t line = static_cast<size_t>(it - starts_.begin()) - 1;
  return {static_cast<long>(line + 1), static_cast<long>(offset - starts_[line] + 1)};
}

}  // namespace kpx
