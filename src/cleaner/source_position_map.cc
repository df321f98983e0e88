#include "cleaner/source_position_map.h"

#include <algorithm>

namespace kpx {

namespace {

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Characters libtidy drops while reading, so they take no column: the C0 controls (tab, LF and
// CR are handled on their own) and the five code points that Windows-1252 leaves undefined.
bool IsZeroWidthControl(char16_t c) {
  if (c < 0x20) return c != '\t' && c != '\n' && c != '\r';
  return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// A code unit that takes one column and is no line break: most of a page. The rest (controls,
// U+0080 to U+009F, surrogates) is looked at one by one.
bool IsPlain(char16_t c) {
  return (c >= 0x20 && c < 0x80) || (c >= 0xA0 && (c < 0xD800 || c > 0xDFFF));
}

}  // namespace

SourcePositionMap::SourcePositionMap(std::u16string_view text, uint32_t tab_size, bool keep_tabs) {
  if (tab_size == 0) tab_size = 1;
  size_t i = (!text.empty() && text[0] == 0xFEFF) ? 1 : 0;
  Line line{i, i, 0, 0};
  uint32_t column = 1;
  while (i < text.size()) {
    const size_t run = i;
    while (i < text.size() && IsPlain(text[i])) ++i;
    column += static_cast<uint32_t>(i - run);
    if (i == text.size()) break;
    const char16_t c = text[i];
    if (c == '\n' || c == '\r') {
      line.end = i;
      line.span_count = spans_.size() - line.first_span;
      lines_.push_back(line);
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      line = Line{i, i, spans_.size(), 0};
      column = 1;
      continue;
    }
    const uint32_t begin_column = column;
    if (c == '\t') {
      column = keep_tabs ? column + 1 : ((column - 1) / tab_size + 1) * tab_size + 1;
      spans_.push_back(Span{i + 1, column, begin_column});
      ++i;
    } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++column;
      spans_.push_back(Span{i + 2, column, begin_column});
      i += 2;
    } else if (IsZeroWidthControl(c)) {
      spans_.push_back(Span{i + 1, column, begin_column});
      ++i;
    } else {
      ++column;
      ++i;
    }
  }
  line.end = text.size();
  line.span_count = spans_.size() - line.first_span;
  lines_.push_back(line);
}

std::optional<size_t> SourcePositionMap::Offset(uint32_t line, uint32_t column) const {
  if (line == 0 || column == 0 || line > lines_.size()) return std::nullopt;
  const Line& l = lines_[line - 1];
  const auto first = spans_.begin() + static_cast<ptrdiff_t>(l.first_span);
  const auto last = first + static_cast<ptrdiff_t>(l.span_count);
  // The last odd stretch that ends at or before the column; plain code units follow it.
  auto after = std::upper_bound(first, last, column,
                                [](uint32_t col, const Span& s) { return col < s.end_column; });
  size_t base_offset = l.begin;
  uint32_t base_column = 1;
  if (after != first) {
    const Span& s = *(after - 1);
    base_offset = s.end_offset;
    base_column = s.end_column;
  }
  const size_t offset = base_offset + (column - base_column);
  if (offset >= l.end) return std::nullopt;
  // A column past the start of the next stretch lies inside it (within a tab's expansion).
  if (after != last && column > after->begin_column) return std::nullopt;
  return offset;
}

}  // namespace kpx
