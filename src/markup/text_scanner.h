// The lowest layer of the markup tokenizer: a text, a read position, and the mapping of an
// offset to a line and column.
#pragma once

#include <cstddef>
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

class TextScanner {
 public:
  // The scanner keeps its own copy of the text; scanning never changes it.
  explicit TextScanner(std::u16string text);
  explicit TextScanner(const MarkupString& text);

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
    size_t p = start;
    while (p < size_ && IsBlank(data_[p])) ++p;
    pos_ = p;
    return p != start;
  }

  // True when the text at the position starts with literal (case-sensitive); advances past it
  // when consume is set.
  bool MatchLiteral(std::u16string_view literal, bool consume);

  // Line (0-based) and column of offset: a line feed, a carriage return followed by a line feed,
  // or a carriage return alone ends a line. The line table is built on the first call.
  LineColumn PositionToLine(size_t offset) const;

 protected:
  std::u16string text_;
  const char16_t* data_;  // text_.data(), cached for the hot loops
  size_t size_;
  size_t pos_ = 0;

 private:
  void BuildLineStarts() const;

  mutable std::vector<size_t> line_starts_;
  mutable bool line_starts_built_ = false;
};

}  // namespace kpx
