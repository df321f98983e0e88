// The table operations on HTML documents, through the document's interfaces: every operation
// code, the selections, the statuses of failures, and what the document reads afterwards.
#include <gtest/gtest.h>

#include "base/status.h"
#include "kpx/converter.h"
#include "table_test_support.h"
#include "tables/table_operations.h"

namespace kpx::testing {
namespace {

const std::string kBefore = "<html><body><p>before &amp; <b>after</b></p>\n";
const std::string kAfter = "\n<p>tail<br></p></body></html>";

const char* const k3x3 =
    "<table border=1>\n"
    "<tr><td class=a1>a</td><td class=b1>b</td><td class=c1>c</td></tr>\n"
    "<tr><td>d</td><td>e</td><td>f</td></tr>\n"
    "<tr><td>g</td><td>h</td><td>i</td></tr>\n"
    "</table>";
const char* const kLockedB =
    "<table><tr><td>a</td><td isBegin=\"true\" colspan=2>b</td></tr>"
    "<tr><td>d</td><td>e</td><td>f</td></tr></table>";
const char* const kServiceable =
    "<table><tr><td>a</td><td>b</td></tr>"
    "<tr kpsServiceable=\"true\"><td colspan=2>{block}</td></tr>"
    "<tr><td>c</td><td>d</td></tr></table>";
// No neighbours of X fill its place exactly.
const char* const kPinwheel =
    "<table><tr><td rowspan=2>L</td><td colspan=2>A</td></tr>"
    "<tr><td>X</td><td rowspan=2>R</td></tr><tr><td colspan=2>B</td></tr></table>";

HRESULT RunOperation(IDispatch* document, LONG op) {
  return Guarded([&] { return tables::PerformTableOperation(document, op); });
}

struct Case {
  const char* name;
  const char* table;
  const char* selection;
  LONG op;
  HRESULT status;
  const char* dump;                // the table read back from the written document; null: unchanged
  const char* contains = nullptr;  // a piece the written table must hold
};

void Check(const Case& c) {
  SCOPED_TRACE(c.name);
  const std::string original = kBefore + c.table + kAfter;
  auto document = LoadHtml(original);
  auto table = TableAt(document.Get());
  ASSERT_TRUE(table);
  Select(document.Get(), table.Get(), c.selection);
  EXPECT_EQ(RunOperation(document.Get(), c.op), c.status);
  const std::string written = DocumentHtml(document.Get());
  if (!c.dump) {
    EXPECT_EQ(written, original);
    return;
  }
  // Everything outside the table is as it was; the table reads back as expected.
  ASSERT_EQ(written.substr(0, kBefore.size()), kBefore);
  ASSERT_GE(written.size(), kAfter.size());
  EXPECT_EQ(written.substr(written.size() - kAfter.size()), kAfter);
  auto reread = LoadHtml(written);
  EXPECT_EQ(TableDump(TableAt(reread.Get()).Get()), c.dump) << written;
  if (c.contains) {
    EXPECT_NE(written.find(c.contains), std::string::npos) << written;
  }
}

TEST(TableOperationsTest, InsertsColumnsRowsAndCells) {
  const Case cases[] = {
      {"insert column left of the caret, with the attributes of the cells to its right", k3x3,
       "caret:0.1", opInsertColumn, S_OK, "a _ b c | d _ e f | g _ h i",
       "<TD class=\"b1\"></TD><td class=b1>b</td>"},
      {"insert column through a wide cell",
       "<table><tr><td colspan=2>ab</td></tr><tr><td>c</td><td>d</td></tr></table>", "caret:1.1",
       opInsertColumn, S_OK, "ab(c3) | c _ d"},
      {"insert row: a first column of rowSpan 3 becomes rowSpan 4",
       "<table><tr><td rowspan=3>A</td><td>b</td></tr><tr><td>c</td></tr><tr><td>d</td></tr>"
       "</table>",
       "caret:1.0", opInsertRow, S_OK, "A(r4) b | _ | c | d"},
      {"insert row above the first, like it",
       "<table><tr align=right><td colspan=2>ab</td></tr><tr><td>c</td><td>d</td></tr></table>",
       "caret:0.0", opInsertRow, S_OK, "_(c2) | ab(c2) | c d", "<TR align=\"right\"><TD colspan"},
      {"insert cell after the caret's cell", k3x3, "caret:1.1", opInsertCell, S_OK,
       "a b(c2) c | d e _ f | g h(c2) i"},
      {"split a cell one column wide inserts a cell", k3x3, "caret:1.1", opSplitCellHorizontally,
       S_OK, "a b(c2) c | d e _ f | g h(c2) i"},
      {"split a wide cell",
       "<table><tr><th colspan=2>ab</th></tr><tr><td>c</td><td>d</td></tr>"
       "</table>",
       "caret:0.0", opSplitCell, S_OK, "TH:ab TH:_ | c d"},
      {"redundant rowspans are compacted after the edit",
       "<table><tr><td rowspan=2>a</td><td rowspan=2>b</td></tr><tr></tr>"
       "<tr><td>c</td><td>d</td></tr></table>",
       "caret:2.0", opInsertColumn, S_OK, "_ a b | _ c d"},
  };
  for (const Case& c : cases) Check(c);
}

TEST(TableOperationsTest, DeletesRowsColumnsAndCells) {
  const Case cases[] = {
      {"delete row", k3x3, "caret:1.0", opDeleteRow, S_OK, "a b c | g h i"},
      {"delete row: a tall cell moves down a row",
       "<table><tr><td rowspan=2>A</td><td>b</td></tr><tr><td>c</td></tr></table>", "caret:0.1",
       opDeleteRow, S_OK, "A c"},
      {"delete row of cells sharing a column: the first one's row", k3x3, "cells:1.0,2.0",
       opDeleteRow, S_OK, "a b c | g h i"},
      {"delete column", k3x3, "caret:0.1", opDeleteColumn, S_OK, "a c | d f | g i"},
      {"delete cell: the cell to the left grows", k3x3, "caret:1.1", opDeleteCell, S_OK,
       "a b c | d(c2) f | g h i"},
      {"delete cell: the cell to the right moves in", k3x3, "caret:1.0", opDeleteCell, S_OK,
       "a b c | e(c2) f | g h i"},
      {"delete cell spanning the width deletes its row",
       "<table><tr><td colspan=2>w</td></tr><tr><td>x</td><td>y</td></tr></table>", "caret:0.0",
       opDeleteCell, S_OK, "x y"},
      {"delete cell, two cells in turn", k3x3, "cells:0.0,1.1", opDeleteCell, S_OK,
       "b(c2) c | d(c2) f | g h i"},
      {"delete cell with no neighbours that fit leaves the table", kPinwheel, "caret:1.0",
       opDeleteCell, S_OK, nullptr},
  };
  for (const Case& c : cases) Check(c);
}

TEST(TableOperationsTest, MergesRectanglesOnly) {
  const Case cases[] = {
      {"merge a 2 by 2 block: contents in reading order", k3x3, "cells:1.1,0.0,0.1,1.0",
       opMergeCells, S_OK, "abde(c2)(r2) c | f | g h i"},
      {"merge an L shape changes nothing", k3x3, "cells:0.0,0.1,1.0", opMergeCells, S_OK, nullptr},
      {"merge a text selection in a row", k3x3, "text:0.0-0.1", opMergeCells, S_OK,
       "ab(c2) c | d e f | g h i"},
      {"a text selection from a to e takes c and d too: no rectangle", k3x3, "text:0.0-1.1",
       opMergeCells, S_OK, nullptr},
      {"merge with a gap changes nothing", k3x3, "cells:0.0,2.0", opMergeCells, S_OK, nullptr},
      {"merge one cell changes nothing", k3x3, "caret:0.0", opMergeCells, S_OK, nullptr},
  };
  for (const Case& c : cases) Check(c);
}

TEST(TableOperationsTest, MovesRowsAndColumns) {
  const Case cases[] = {
      {"move row up in the first row", k3x3, "caret:0.1", opMoveRowUp, S_OK, nullptr},
      {"move column right in the last column", k3x3, "caret:0.2", opMoveColumnRight, S_OK, nullptr},
      {"move column left in the first column", k3x3, "caret:2.0", opMoveColumnLeft, S_OK, nullptr},
      {"move row down in the last row", k3x3, "caret:2.2", opMoveRowDown, S_OK, nullptr},
      {"move row down", k3x3, "caret:0.0", opMoveRowDown, S_OK, "d e f | a b c | g h i"},
      {"move row up", k3x3, "caret:2.1", opMoveRowUp, S_OK, "a b c | g h i | d e f"},
      {"move rows of cells sharing a column", k3x3, "cells:0.0,1.0", opMoveRowDown, S_OK,
       "d e f | a b c | g h i"},
      {"move column left", k3x3, "caret:1.1", opMoveColumnLeft, S_OK, "b a c | e d f | h g i"},
      {"move column right", k3x3, "caret:1.1", opMoveColumnRight, S_OK, "a c b | d f e | g i h"},
      {"move column left: a wide cell across the boundary is cut first",
       "<table><tr><td colspan=2>ab</td><td>c</td></tr><tr><td>d</td><td>e</td><td>f</td></tr>"
       "</table>",
       "caret:1.2", opMoveColumnLeft, S_OK, "ab c _ | d f e"},
      {"move row up: a cell reaching from the upper block into the lower changes nothing",
       "<table><tr><td rowspan=2>a</td><td>b</td></tr><tr><td>c</td></tr></table>", "caret:1.0",
       opMoveRowUp, S_OK, nullptr},
      {"attribute names as odd as a page may write them move along",
       "<table><tr><td a\"b=1 =c>x</td><td>y</td></tr></table>", "caret:0.1", opMoveColumnLeft,
       S_OK, "y x", "<TD a\"b=\"1\" =c=\"\">x</TD>"},
      {"move a tall row block down",
       "<table><tr><td rowspan=2>a</td><td>b</td></tr><tr><td>c</td></tr>"
       "<tr><td>d</td><td>e</td></tr></table>",
       "caret:0.0", opMoveRowDown, S_OK, "d e | a(r2) b | c"},
  };
  for (const Case& c : cases) Check(c);
}

TEST(TableOperationsTest, LeavesServiceableRowsAndLockedCellsAlone) {
  const Case cases[] = {
      {"insert column passes the serviceable row by", kServiceable, "caret:0.1", opInsertColumn,
       S_OK, "a _ b | {block}(c2) | c _ d"},
      {"move row down onto a serviceable row", kServiceable, "caret:0.0", opMoveRowDown, S_OK,
       nullptr},
      {"move row up below a serviceable row", kServiceable, "caret:2.0", opMoveRowUp, S_OK,
       nullptr},
      {"delete row keeps the serviceable row", kServiceable, "cells:0.0,0.1", opDeleteRow, S_OK,
       "{block}(c2) | c d"},
      {"delete column", kServiceable, "caret:2.0", opDeleteColumn, S_OK, "b | {block}(c2) | d"},
      {"a cell of a serviceable row is not in the grid", kServiceable, "caret:1.0", opInsertColumn,
       E_FAIL, nullptr},
      {"merge over a locked cell", kLockedB, "cells:0.0,0.1", opMergeCells, S_OK, nullptr},
      {"split a locked cell", kLockedB, "caret:0.1", opSplitCell, S_OK, nullptr},
      {"delete a locked cell", kLockedB, "caret:0.1", opDeleteCell, S_OK, nullptr},
      {"delete the column of a locked cell", kLockedB, "caret:1.2", opDeleteColumn, S_OK, nullptr},
      {"move a locked cell's column", kLockedB, "caret:0.1", opMoveColumnLeft, S_OK, nullptr},
      {"a locked cell may grow", kLockedB, "caret:1.2", opInsertCell, S_OK, "a b(c3) | d e f _",
       "isBegin=\"true\" colspan=\"3\""},
  };
  for (const Case& c : cases) Check(c);
}

TEST(TableOperationsTest, FailuresLeaveTheDocumentAsItWas) {
  const Case cases[] = {
      {"two cells selected for insert column", k3x3, "cells:0.0,0.1", opInsertColumn, E_FAIL,
       nullptr},
      {"cells that share neither row nor column for delete row", k3x3, "cells:0.0,1.1", opDeleteRow,
       E_FAIL, nullptr},
      {"nothing selected", k3x3, "none", opInsertRow, E_FAIL, nullptr},
      {"an invalid table",
       "<table><tr><td>a</td><td rowspan=2>b</td></tr><tr><td colspan=3>c</td></tr></table>",
       "caret:0.0", opInsertRow, E_FAIL, nullptr},
      {"right to left", "<table dir=' RTL'><tr><td>a</td><td>b</td></tr></table>", "caret:0.0",
       opInsertColumn, E_NOTIMPL, nullptr},
      // The code is checked after the selection, the direction and the grid.
      {"an unsupported code with nothing selected", k3x3, "none", 0, E_FAIL, nullptr},
      {"an unsupported code on an invalid table",
       "<table><tr><td>a</td><td rowspan=2>b</td></tr><tr><td colspan=3>c</td></tr></table>",
       "caret:0.0", 19, E_FAIL, nullptr},
  };
  for (const Case& c : cases) Check(c);
  for (LONG op : {0, 2, 3, 5, 6, 11, 19, -1}) {
    Case c{"unsupported code", k3x3, "caret:0.0", op, E_NOTIMPL, nullptr};
    SCOPED_TRACE(op);
    Check(c);
  }
  EXPECT_EQ(RunOperation(nullptr, opInsertRow), E_INVALIDARG);
  auto document = LoadHtml(k3x3);
  ComPtr<IHTMLElement> body;
  document->get_body(body.Put());
  EXPECT_EQ(RunOperation(Query<IDispatch>(body.Get()).Get(), opInsertRow), E_INVALIDARG);
}

std::string CaretCellText(IHTMLDocument2* document) {
  ComPtr<IHTMLSelectionObject> selection;
  document->get_selection(selection.Put());
  ComPtr<IDispatch> range;
  selection->createRange(range.Put());
  ComPtr<IHTMLElement> parent;
  Query<IHTMLTxtRange>(range.Get())->parentElement(parent.Put());
  return parent ? InnerText(parent.Get()) : "";
}

TEST(TableOperationsTest, PutsTheCaretBack) {
  struct Row {
    const char* selection;
    LONG op;
    const char* caret_in;
  };
  const Row rows[] = {
      {"caret:0.1", opInsertColumn, "b"},
      {"text:1.1-1.2", opMergeCells, "ef"},
      {"caret:1.1", opDeleteCell, "d"},  // its cell went: into the cell now in its place
      {"cells:2.2", opMoveRowUp, "i"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.selection);
    auto document = LoadHtml(k3x3);
    Select(document.Get(), TableAt(document.Get()).Get(), row.selection);
    ASSERT_EQ(RunOperation(document.Get(), row.op), S_OK);
    EXPECT_EQ(CaretCellText(document.Get()), row.caret_in);
  }
}

HRESULT RunEx(IHTMLElement* source, LONG opex, VARIANT columns, VARIANT rows) {
  return Guarded([&] {
    return tables::PerformTableOperationEx(Query<IDispatch>(source).Get(), opex, columns, rows);
  });
}

VARIANT Long(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

TEST(TableOperationsTest, SmartSpanMergesTheSpannedCells) {
  enum Source { kCell, kInner, kRow, kTable, kBody };
  struct Row {
    const char* name;
    Source source;
    LONG opex;
    VARIANT columns, rows;
    HRESULT status;
    const char* dump;  // null: unchanged
  };
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(u"2");
  const Row rows[] = {
      {"2 by 2 from a cell", kCell, opexSmartSpan, Long(2), Long(2), S_OK,
       "abde(c2)(r2) c | f | g h i"},
      {"from an element inside the cell, sizes as text", kInner, opexSmartSpan, text, Long(1), S_OK,
       "ab(c2) c | d e f | g h i"},
      {"a row spans from its first column", kRow, opexSmartSpan, Long(3), Long(1), S_OK,
       "a b c | def(c3) | g h i"},
      {"clipped to the table", kCell, opexSmartSpan, Long(9), Long(1), S_OK,
       "abc(c3) | d e f | g h i"},
      {"one cell: nothing to merge", kCell, opexSmartSpan, Long(1), Long(1), S_FALSE, nullptr},
      {"no columns", kCell, opexSmartSpan, Long(0), Long(2), E_INVALIDARG, nullptr},
      {"the table itself", kTable, opexSmartSpan, Long(2), Long(2), E_INVALIDARG, nullptr},
      {"outside any table", kBody, opexSmartSpan, Long(2), Long(2), E_INVALIDARG, nullptr},
      {"opexDebug", kCell, opexDebug, Long(2), Long(2), E_NOTIMPL, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string original = kBefore +
                                 "<table><tr><td><b>a</b></td><td>b</td><td>c</td></tr>"
                                 "<tr><td>d</td><td>e</td><td>f</td></tr>"
                                 "<tr><td>g</td><td>h</td><td>i</td></tr></table>" +
                                 kAfter;
    auto document = LoadHtml(original);
    auto table = TableAt(document.Get());
    ComPtr<IHTMLElement> source;
    switch (row.source) {
      case kCell:
        source = CellAt(table.Get(), 0, 0);
        break;
      case kInner: {
        ComPtr<IHTMLElementCollection> children;
        CellAt(table.Get(), 0, 0)->get_children(children.Put());
        source = Elements(children.Get())[0];
        break;
      }
      case kRow:
        source = RowsOf(table.Get())[1];
        break;
      case kTable:
        source = table;
        break;
      case kBody:
        document->get_body(source.Put());
        break;
    }
    EXPECT_EQ(RunEx(source.Get(), row.opex, row.columns, row.rows), row.status);
    const std::string written = DocumentHtml(document.Get());
    if (!row.dump) {
      EXPECT_EQ(written, original);
      continue;
    }
    EXPECT_EQ(written.substr(0, kBefore.size()), kBefore);
    EXPECT_EQ(written.substr(written.size() - kAfter.size()), kAfter);
    EXPECT_EQ(TableDump(TableAt(LoadHtml(written).Get()).Get()), row.dump);
  }
  VariantClear(&text);
  EXPECT_EQ(RunEx(nullptr, opexSmartSpan, Long(1), Long(1)), E_INVALIDARG);
}

}  // namespace
}  // namespace kpx::testing
