// Reading libtidy's (line, column) positions back as offsets into the text.
#include "cleaner/source_position_map.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kpx {
namespace {

TEST(SourcePositionMapTest, MapsLinesAndColumnsAsTheLibraryCountsThem) {
  const std::u16string pair = u"\U0001F600";  // one column, two code units
  const struct {
    const char* name;
    std::u16string text;
    uint32_t tab_size;
    bool keep_tabs;
    uint32_t line;
    uint32_t column;
    std::optional<size_t> offset;
  } rows[] = {
      {"first character", u"<p>", 8, false, 1, 1, 0},
      {"within the first line", u"ab<p>", 8, false, 1, 3, 2},
      {"after LF", u"a\n<p>", 8, false, 2, 1, 2},
      {"after CR LF", u"a\r\n<p>", 8, false, 2, 1, 3},
      {"after a lone CR", u"a\r<p>", 8, false, 2, 1, 2},
      {"blank lines of lone CRs count", u"a\r\r<p>", 8, false, 3, 1, 3},
      {"tab to the next stop", u"a\t<p>", 8, false, 1, 9, 2},
      {"two tabs", u"\t\tx<p>", 8, false, 1, 18, 3},
      {"tab size 4", u"ab\t<p>", 4, false, 1, 5, 3},
      {"kept tab is one column", u"a\t<p>", 8, true, 1, 3, 2},
      {"inside a tab's expansion", u"a\t<p>", 8, false, 1, 5, std::nullopt},
      {"the tab itself", u"a\t<p>", 8, false, 1, 2, 1},
      {"surrogate pair is one column", u"a" + pair + u"<p>", 8, false, 1, 3, 3},
      {"control characters take no column", u"a\x01\x02<p>", 8, false, 1, 2, 3},
      {"undefined windows-1252 points take no column", u"a\u0081\u009D<p>", 8, false, 1, 2, 3},
      {"other C1 points take one", u"a\u0080<p>", 8, false, 1, 3, 2},
      {"leading byte-order mark is skipped", u"\uFEFF<p>", 8, false, 1, 1, 1},
      {"past the end of a line", u"ab\ncd", 8, false, 1, 3, std::nullopt},
      {"past the last line", u"ab\ncd", 8, false, 3, 1, std::nullopt},
      {"line zero", u"ab", 8, false, 0, 1, std::nullopt},
      {"column zero", u"ab", 8, false, 1, 0, std::nullopt},
      {"empty text", u"", 8, false, 1, 1, std::nullopt},
      {"tab size zero counts as one", u"a\t<p>", 0, false, 1, 3, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const SourcePositionMap map(row.text, row.tab_size, row.keep_tabs);
    EXPECT_EQ(map.Offset(row.line, row.column), row.offset);
  }
}

TEST(SourcePositionMapTest, LongLinesWithManyTabsStayExact) {
  std::u16string text;
  for (int i = 0; i < 10000; ++i) text += u"\t<b>";
  const SourcePositionMap map(text, 8, false);
  // Each "\t<b>" fills one tab stop of 8 columns, so the i-th "<b>" starts at column 8i + 9
  // and offset 4i + 1.
  for (uint32_t i = 0; i < 10000; i += 997) {
    EXPECT_EQ(map.Offset(1, 8 * i + 9), std::optional<size_t>(4 * i + 1)) << i;
  }
}

}  // namespace
}  // namespace kpx
