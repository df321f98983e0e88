// Text, read position and offset-to-line mapping.
#include "markup/text_scanner.h"

#include <algorithm>
#include <utility>

#include "markup/markup_char_classes.h"
#include "markup/markup_string.h"

namespace kpx {

TextScanner::TextScanner(std::u16string text)
    : text_(std::move(text)), data_(text_.data()), size_(text_.size()) {}

TextScanner::TextScanner(const MarkupString& text) : TextScanner(std::u16string(text.View())) {}

bool TextScanner::SkipWhitespace() {
  size_t start = pos_;
  while (pos_ < size_ && HasCharClass(data_[pos_], kCharWhitespace)) ++pos_;
  return pos_ != start;
}

bool TextScanner::SkipLineBreaks() {
  size_t start = pos_;
  while (pos_ < size_ && HasCharClass(data_[pos_], kCharLineBreak)) ++pos_;
  return pos_ != start;
}

bool TextScanner::MatchLiteral(std::u16string_view literal, bool consume) {
  if (size_ - pos_ < literal.size()) return false;
  if (Text().substr(pos_, literal.size()) != literal) return false;
  if (consume) pos_ += literal.size();
  return true;
}

void TextScanner::BuildLineStarts() const {
  line_starts_.clear();
  line_starts_.push_back(0);
  for (size_t i = 0; i < size_; ++i) {
    char16_t c = data_[i];
    if (c == u'\n') {
      line_starts_.push_back(i + 1);
    } else if (c == u'\r') {
      if (i + 1 < size_ && data_[i + 1] == u'\n') ++i;
      line_starts_.push_back(i + 1);
    }
  }
  line_starts_built_ = true;
}

LineColumn TextScanner::PositionToLine(size_t offset) const {
  if (!line_starts_built_) BuildLineStarts();
  // The last line start not greater than offset.
  auto it = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  size_t line = static_cast<size_t>(it - line_starts_.begin()) - 1;
  return {line, offset - line_starts_[line]};
}

}  // namespace kpx
