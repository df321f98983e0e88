// Turns the line and column that libtidy reports for a node back into an offset in the UTF-16
// text it read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kpx {

// libtidy counts lines from 1 and ends them at LF, CR LF or CR; it counts columns from 1 in
// characters (a surrogate pair is one), expands a tab to the next tab stop unless tabs are kept,
// and gives the characters it drops while reading (C0 controls other than tab, LF and CR, and
// U+0081, U+008D, U+008F, U+0090, U+009D) no column at all. A leading
// byte-order mark is not part of line 1.
//
// libtidy loses count after a CR that is not followed by LF; the cleaner hands it LF there
// instead, and this map reads such a CR as the line break it then is.
class SourcePositionMap {
 public:
  // tab_size is libtidy's "tab-size", keep_tabs its "keep-tabs".
  SourcePositionMap(std::u16string_view text, uint32_t tab_size, bool keep_tabs);

  // Offset of the code unit where the character at (line, column) starts; nullopt when the
  // position lies outside the text or falls inside a tab's expansion.
  std::optional<size_t> Offset(uint32_t line, uint32_t column) const;

 private:
  // A stretch whose width in columns is not one per code unit: a tab, a surrogate pair or a
  // control character.
  struct Span {
    size_t end_offset;      // offset just after the stretch
    uint32_t end_column;    // column just after the stretch
    uint32_t begin_column;  // column where the stretch starts
  };
  struct Line {
    size_t begin;       // offset of the line's first code unit
    size_t end;         // offset of its line break (or of the end of the text)
    size_t first_span;  // index into spans_ of the line's first odd stretch
    size_t span_count;  // how many odd stretches the line has
  };

  std::vector<Line> lines_;
  std::vector<Span> spans_;
};

}  // namespace kpx
