// The grid model read from documents: fill, square, the validity check, positions, compaction.
#include <gtest/gtest.h>

#include "base/status.h"
#include "table_test_support.h"
#include "tables/grid_edits.h"

namespace kpx::testing {
namespace {

using tables::GridPosition;
using tables::TableGrid;

TableGrid GridOf(IHTMLDocument2* document) {
  auto table = TableAt(document);
  EXPECT_TRUE(table);
  TableGrid grid(Query<IHTMLTable>(table.Get()));
  grid.FillFromDocument();
  return grid;
}

TEST(TableGridTest, FillsAndSquares) {
  struct Row {
    const char* name;
    const char* html;
    const char* filled;
    const char* squared;
    bool valid;  // after squaring
  };
  const Row rows[] = {
      {"2 by 2, first cell colspan 2", "<table><tr><td colspan=2>a<tr><td>c<td>d</table>",
       "a[2,1] < | c d", "a[2,1] < | c d", true},
      {"rowspan 3 in two rows", "<table><tr><td rowspan=3>a<td>b<tr><td>c</table>",
       "a[1,3] b | ^ c | ^", "a[1,3] b | ^ c[1,2] | ^ ^", true},
      {"short row: its last cell widens", "<table><tr><td>a<td>b<td>c<tr><td>d<td>e</table>",
       "a b c | d e", "a b c | d e[2,1] <", true},
      {"short row under a wide cell: padded, then extended down",
       "<table><tr><td colspan=2>a<tr><td rowspan=2>b<tr></table>", "a[2,1] < | b[1,2] | ^",
       "a[2,1] < | b[1,2] _[1,2] | ^ ^", true},
      {"short row: the cell above extends down",
       "<table><tr><td>a<td>b<tr><td rowspan=2>c<tr><td>d</table>", "a b | c[1,2] | ^ d",
       "a b[1,2] | c[1,2] ^ | ^ d", true},
      {"short row: the cell below moves up",
       "<table><tr><td colspan=2>a<tr><td rowspan=2>c<tr><td>d</table>", "a[2,1] < | c[1,2] | ^ d",
       "a[2,1] < | c[1,2] d[1,2] | ^ ^", true},
      {"overlapping cells", "<table><tr><td>a<td rowspan=2>b<tr><td colspan=3>c</table>",
       "a b[1,2] | c[3,1] < <", "a b[1,2] _ | c[3,1] < <", false},
      {"serviceable row keeps no cells",
       "<table><tr><td>a<td>b<tr kpsServiceable=' TRUE '><td colspan=2>{x}<tr><td>c<td>d</table>",
       "a b | S | c d", "a b | S | c d", true},
      {"rows without cells", "<table><tr></tr><tr></tr></table>", " | ", " | ", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto document = LoadHtml(row.html);
    TableGrid grid = GridOf(document.Get());
    EXPECT_EQ(GridDump(grid), row.filled);
    grid.SquareRows();
    EXPECT_EQ(GridDump(grid), row.squared);
    EXPECT_EQ(grid.IsValid(), row.valid);
  }
}

TEST(TableGridTest, ACoveredSlotMustNameACellThatReachesIt) {
  auto document = LoadHtml("<table><tr><td>a<td>b<tr><td colspan=2>c</table>");
  TableGrid grid = GridOf(document.Get());
  grid.SquareRows();
  ASSERT_TRUE(grid.IsValid());
  grid.Slot(1, 1).origin_row = 0;  // names "a", which spans one slot
  grid.Slot(1, 1).origin_column = 0;
  EXPECT_FALSE(grid.IsValid());
}

TEST(TableGridTest, TranslatesDocumentPositionsToSlots) {
  auto document = LoadHtml("<table><tr><td rowspan=2>a<td>b<tr><td>c<tr><td colspan=2>d</table>");
  TableGrid grid = GridOf(document.Get());
  grid.SquareRows();
  EXPECT_EQ(grid.TranslatePosition(0, 1), (GridPosition{0, 1}));
  EXPECT_EQ(grid.TranslatePosition(1, 0), (GridPosition{1, 1}));
  EXPECT_EQ(grid.TranslatePosition(2, 0), (GridPosition{2, 0}));
  for (auto [row, cell] : {std::pair{1, 1}, {3, 0}, {-1, 0}, {0, 7}}) {
    SCOPED_TRACE(std::to_string(row) + "." + std::to_string(cell));
    try {
      grid.TranslatePosition(row, cell);
      ADD_FAILURE() << "translated";
    } catch (const ConverterError& e) {
      EXPECT_EQ(e.code(), E_FAIL);
      EXPECT_STREQ(e.what(), "translatePosition() failed");
    }
  }
}

TEST(TableGridTest, CompactsRedundantRowsAndColumns) {
  struct Row {
    const char* name;
    const char* html;
    const char* compacted;
  };
  const Row rows[] = {
      {"every cell rowspan 2", "<table><tr><td rowspan=2>a<td rowspan=2>b<tr></table>", "a b"},
      {"rowspan 3 and 2 over three rows",
       "<table><tr><td rowspan=3>a<td rowspan=2>b<tr><tr><td>c</table>", "a[1,2] b | ^ c"},
      {"every row one cell", "<table><tr><td colspan=3>a<tr><td colspan=2>b</table>", "a | b"},
      {"a boundary no cell needs",
       "<table><tr><td colspan=3>a<td>x<tr><td colspan=2>b<td colspan=2>c</table>",
       "a[2,1] < x | b c[2,1] <"},
      {"a serviceable row below is kept",
       "<table><tr><td rowspan=2>a<td rowspan=2>b<tr kpsServiceable=true><td>s</table>",
       "a[1,2] b[1,2] | S ^ ^"},
      {"many boundaries at once",
       "<table><tr><td colspan=900>a<td colspan=100>b<tr><td colspan=450>c<td colspan=550>d"
       "</table>",
       "a[2,1] < b | c d[2,1] <"},
      {"nothing redundant", "<table><tr><td colspan=2>a<tr><td>b<td>c</table>", "a[2,1] < | b c"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto document = LoadHtml(row.html);
    TableGrid grid = GridOf(document.Get());
    grid.SquareRows();
    ASSERT_TRUE(grid.IsValid()) << GridDump(grid);
    grid.Compact();
    EXPECT_EQ(GridDump(grid), row.compacted);
    EXPECT_TRUE(grid.IsValid());
  }
}

TEST(TableGridTest, ReadsCellsAndRows) {
  auto document = LoadHtml(
      "<table><tr class=r align=center data-x=1><th isBegin=true width=10 headers=h "
      "data-y=2>t</th><td isBegin=no style='color:red'><b>x</b></td></table>");
  TableGrid grid = GridOf(document.Get());
  const tables::GridRow& row = grid.Rows()[0];
  EXPECT_EQ(row.class_name, u"r");
  EXPECT_EQ(row.properties[tables::kRowAlign], u"center");
  ASSERT_EQ(row.attributes.size(), 1u);
  EXPECT_EQ(row.attributes[0].name, u"data-x");
  const tables::CellData& th = grid.Slot(0, 0).cell;
  EXPECT_TRUE(th.header);
  EXPECT_TRUE(th.locked);
  EXPECT_EQ(th.properties[tables::kCellWidth], u"10");
  EXPECT_EQ(th.properties[tables::kCellHeaders], u"h");
  ASSERT_EQ(th.attributes.size(), 2u);  // isBegin and data-y; width and headers are managed
  const tables::CellData& td = grid.Slot(0, 1).cell;
  EXPECT_FALSE(td.header);
  EXPECT_FALSE(td.locked);
  EXPECT_EQ(td.style, u"color:red");
  EXPECT_EQ(td.content, u"<B>x</B>");
}

TEST(TableGridTest, RefusesATableTooLargeForTheGrid) {
  auto document = LoadHtml("<table><tr><td colspan=1000 rowspan=65534>a</table>");
  auto table = TableAt(document.Get());
  TableGrid grid(Query<IHTMLTable>(table.Get()));
  try {
    grid.FillFromDocument();
    ADD_FAILURE() << "filled";
  } catch (const ConverterError& e) {
    EXPECT_STREQ(e.what(), "invalid table");
  }
}

TEST(TableGridTest, WritesBackOnlyWhatChanged) {
  const std::string html =
      "<p>x</p><table id=t>\n<tr><td>a</td><td>b</td></tr>\n<tr><td>c</td><td>d</td></tr>\n"
      "</table><p>y</p>";
  auto document = LoadHtml(html);
  TableGrid grid = GridOf(document.Get());
  grid.SquareRows();
  grid.WriteBack();
  EXPECT_EQ(DocumentHtml(document.Get()), html);
  ASSERT_TRUE(tables::InsertCell(grid, {1, 1}));
  grid.Compact();
  grid.WriteBack();
  EXPECT_EQ(DocumentHtml(document.Get()),
            "<p>x</p><table id=t>\n<tr><td>a</td><TD colspan=\"2\">b</td></tr>\n"
            "<tr><td>c</td><td>d</td><TD></TD></tr>\n</table><p>y</p>");
}

}  // namespace
}  // namespace kpx::testing
