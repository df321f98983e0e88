// The lowest layer of the markup tokenizer: a text, a read position, and the mapping of an
// offset to a line and column.
#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "markup/markup_char_classes.h"

namespace kpx {

class MarkupString;

struct LineColumn {
  size_t line = 0;    // 0-based
  size_t column = 0;  // offset from the start of the line
};

// A text that a scanner reads where it is instead of copying it, for a caller that holds the
// page anyway: it must outlive the scanner and stay unchanged while the scanner reads it. The
// readers look at the 0 behind the last character, so it is a whole string, or a text known to
// be followed by a 0.
struct BorrowedText {
  BorrowedText(const std::u16string& text)  // NOLINT: a string is always such a text
      : data(text.c_str()), size(text.size()) {}
  // A system string's text, or the tail of a string: the code unit behind it is a 0.
  static BorrowedText ZeroTerminated(std::u16string_view text) {
    assert(text.data() != nullptr && text.data()[text.size()] == u'\0');
    return BorrowedText(text.data(), text.size());
  }
  const char16_t* data;
  size_t size;

 private:
  BorrowedText(const char16_t* text, size_t length) : data(text), size(length) {}
};

class TextScanner {
 public:
  // The scanner keeps its own copy of the text; scanning never changes it.
  explicit TextScanner(std::u16string text);
  explicit TextScanner(const MarkupString& text);
  explicit TextScanner(BorrowedText text);

  TextScanner(const TextScanner&) = delete;
  TextScanner& operator=(const TextScanner&) = delete;

  std::u16string_view Text() const { return {data_, size_}; }
  size_t Length() const { return size_; }
  bool AtEnd() const { return pos_ >= size_; }

  size_t Position() const { return pos_; }
  // Positions past the end are clamped to the end.
  void SetPosition(size_t position) { pos_ = position < size_ ? position : size_; }

  // The character at offset, or 0 at and past the end.
  char16_t CharAt(size_t offset) const { return offset < size_ ? data_[offset] : u'\0'; }
  char16_t Peek() const { return CharAt(pos_); }

  // Returns the character at the position and advances; at the end returns 0 and stays.
  char16_t NextChar() { return pos_ < size_ ? data_[pos_++] : u'\0'; }

  // Each advances over its characters and reports whether any was skipped.
  bool SkipWhitespace();
  bool SkipLineBreaks();
  // Skips whitespace and line breaks together.
  bool SkipBlanks() {
    const size_t start = pos_;
    pos_ = FindInMask(start, kScanNotBlank);
    return pos_ != start;
  }

  // True when the text at the position starts with literal (case-sensitive); advances past it
  // when consume is set.
  bool MatchLiteral(std::u16string_view literal, bool consume);

  // Line (0-based) and column of offset: a line feed, a carriage return followed by a line feed,
  // or a carriage return alone ends a line. The line table is built on the first call.
  LineColumn PositionToLine(size_t offset) const;

 protected:
  // What the scanner asks of each character, as one bit per character of a block.
  enum ScanMask : uint8_t {
    kScanNotBlank = 0,    // neither whitespace nor a line break
    kScanRunEnd = 1,      // ends a name or a run of other characters that started before it
    kScanOwnToken = 2,    // a delimiter, "=" or 0: a token of its own, never the start of a run
    kScanNameStart = 3,   // a name character that starts a Name (not "-#:")
    kScanStringStop = 4,  // "\"", "'", "<" or "%": what an attribute string has to look at
    // Where runs start and end when reading goes from run to run: the first non-blank after
    // every run end and after every delimiter, and the first run end after each of those.
    // Reading that reaches one of these starts goes on through the others that follow.
    kScanChainStart = 5,
    kScanChainEnd = 6,
    kScanMaskCount = 7,
  };

  // The first offset at or after from whose character is in the mask; the end of the text
  // counts as being in every mask, so the result is at most the length when from is. One bit
  // search per block of characters instead of a branch per character.
  size_t FindInMask(size_t from, ScanMask mask) {
    for (;;) {
      const size_t block = from / kCharBlockSize;
      if (block != block_index_) LoadBlock(block);
      const uint64_t bits = block_masks_[mask] >> (from % kCharBlockSize);
      if (bits != 0) return from + static_cast<size_t>(std::countr_zero(bits));
      from = (block + 1) * kCharBlockSize;
    }
  }
  // The masks of a block (of the characters from block * kCharBlockSize on).
  const uint64_t* BlockMasks(size_t block) {
    if (block != block_index_) LoadBlock(block);
    return block_masks_;
  }
  // Whether the character at offset (at most the length) is in the mask.
  bool InMask(size_t offset, ScanMask mask) {
    const size_t block = offset / kCharBlockSize;
    if (block != block_index_) LoadBlock(block);
    return (block_masks_[mask] >> (offset % kCharBlockSize)) & 1;
  }

  std::u16string text_;   // the scanner's copy (empty for a borrowed text)
  const char16_t* data_;  // the text read, cached for the hot loops
  size_t size_;
  size_t pos_ = 0;

 private:
  void BuildLineStarts() const;
  void LoadBlock(size_t block);

  // The masks of one block of the text (the text never changes, so they stay valid).
  FullCharBlockClassifier classify_ = FastestFullCharBlockClassifier();
  size_t block_index_ = static_cast<size_t>(-1);
  uint64_t block_masks_[kScanMaskCount] = {};

  mutable std::vector<size_t> line_starts_;
  mutable bool line_starts_built_ = false;
};

}  // namespace kpx
