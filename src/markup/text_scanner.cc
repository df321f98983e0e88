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

TextScanner::TextScanner(BorrowedText text) : data_(text.data), size_(text.size) {}

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

void TextScanner::LoadBlock(size_t block) {
  const size_t first = block * kCharBlockSize;
  const size_t start = std::min(first, size_);
  CharBlockMasks classes;
  if (size_ - start >= kCharBlockSize) {
    classify_(data_ + start, classes);
  } else {
    ClassifyCharBlock(data_ + start, size_ - start, classes);
  }
  const uint64_t name = classes.bits[kMaskName];
  // A run ends where a name begins or stops, and at a delimiter; the character before the block
  // says whether its first character continues a name.
  const bool name_before = first > 0 && first <= size_ && IsNameChar(data_[first - 1]);
  const uint64_t name_shifted = (name << 1) | (name_before ? 1 : 0);
  const uint64_t not_blank = classes.bits[kMaskNotBlank];
  const uint64_t run_end = (name ^ name_shifted) | classes.bits[kMaskDelimiter];
  block_masks_[kScanNotBlank] = not_blank;
  block_masks_[kScanRunEnd] = run_end;
  // An addition carries a mark across a run of blanks, or of characters that end nothing, to
  // the first character behind it. Marks carried out of the block are lost: readers check.
  const uint64_t blank = ~not_blank;
  const uint64_t seeds = run_end | (classes.bits[kMaskDelimiter] << 1);
  const uint64_t starts = (seeds & not_blank) | (((seeds & blank) + blank) & not_blank);
  const uint64_t after = starts << 1;
  block_masks_[kScanChainStart] = starts;
  block_masks_[kScanChainEnd] = (after & run_end) | (((after & ~run_end) + ~run_end) & run_end);
  block_masks_[kScanOwnToken] = classes.bits[kMaskDelimiter] | classes.bits[kMaskEquals];
  block_masks_[kScanNameStart] = classes.bits[kMaskNameStart];
  block_masks_[kScanStringStop] = classes.bits[kMaskStringStop];
  block_index_ = block;
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
