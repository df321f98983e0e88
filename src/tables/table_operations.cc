// The table operations on the editor's live document.
#include "tables/table_operations.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "com/variant_holder.h"
#include "kpx/converter.h"
#include "tables/caret_keeper.h"
#include "tables/grid_edits.h"
#include "tables/html_calls.h"
#include "tables/table_grid.h"
#include "tables/table_selection.h"

namespace kpx::tables {

namespace {

bool IsOffered(LONG op) {
  switch (op) {
    case opInsertColumn:
    case opInsertRow:
    case opDeleteColumn:
    case opDeleteRow:
    case opMergeCells:
    case opSplitCellHorizontally:
    case opMoveColumnLeft:
    case opMoveColumnRight:
    case opMoveRowUp:
    case opMoveRowDown:
    case opDeleteCell:
    case opInsertCell:
    case opSplitCell:
      return true;
    default:
      return false;
  }
}

// The selected cells as starting slots of the grid, and what they share.
struct GridSelection {
  std::vector<GridPosition> cells;
  bool common_row = true;
  bool common_column = true;

  // The one cell an edit needs; more give "multiple".
  GridPosition One() const {
    if (cells.size() > 1) Fail(kMultiple);
    return cells.front();
  }
  // For the row edits: one cell, or cells that share a row (or else a column): the first.
  GridPosition RowCell() const {
    if (cells.size() > 1 && !common_row && !common_column) Fail(kMultiple);
    return cells.front();
  }
};

GridSelection Translate(const TableGrid& grid, const std::vector<DocumentPosition>& positions) {
  GridSelection selection;
  std::vector<std::pair<LONG, LONG>> wanted;
  for (const DocumentPosition& p : positions) wanted.emplace_back(p.row, p.cell);
  for (const GridPosition& at : grid.TranslatePositions(wanted)) {
    if (!selection.cells.empty()) {
      selection.common_row = selection.common_row && at.row == selection.cells.front().row;
      selection.common_column =
          selection.common_column && at.column == selection.cells.front().column;
    }
    selection.cells.push_back(at);
  }
  return selection;
}

void BuildGrid(TableGrid& grid) {
  grid.FillFromDocument();
  grid.SquareRows();
  if (!grid.IsValid()) Fail(kInvalidTable);
}

void Finish(TableGrid& grid) {
  grid.Compact();
  if (!grid.IsValid()) Fail(kInvalidTable);
  grid.WriteBack();
}

// Each selected cell in turn, the grid compacted and checked after each.
bool DeleteCells(TableGrid& grid, const GridSelection& selection) {
  std::vector<int> ids;
  for (const GridPosition& p : selection.cells) {
    const int id = grid.Slot(p.row, p.column).cell.id;
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  }
  bool changed = false;
  for (int id : ids) {
    std::optional<GridPosition> at = grid.FindCell(id);
    if (!at || !DeleteCell(grid, *at)) continue;
    changed = true;
    grid.Compact();
    if (!grid.IsValid()) Fail(kInvalidTable);
  }
  return changed;
}

bool RunEdit(TableGrid& grid, LONG op, const GridSelection& selection) {
  switch (op) {
    case opInsertColumn:
      return InsertColumn(grid, selection.One());
    case opInsertRow:
      return InsertRow(grid, selection.One());
    case opDeleteColumn:
      return DeleteColumn(grid, selection.One().column);
    case opDeleteRow:
      return DeleteRow(grid, selection.RowCell().row);
    case opMergeCells:
      return MergeCells(grid, selection.cells);
    case opSplitCellHorizontally:
    case opSplitCell:
      return SplitCell(grid, selection.One());
    case opMoveColumnLeft:
      return MoveColumnLeft(grid, selection.One());
    case opMoveColumnRight:
      return MoveColumnRight(grid, selection.One());
    case opMoveRowUp:
      return MoveRowUp(grid, selection.RowCell());
    case opMoveRowDown:
      return MoveRowDown(grid, selection.RowCell());
    case opDeleteCell:
      return DeleteCells(grid, selection);
    case opInsertCell:
      return InsertCell(grid, selection.One());
    default:
      return false;
  }
}

// The cell the caret goes into when its own place left the document: the first selected cell,
// else the one now at its place.
ComPtr<IHTMLElement> EditedCell(const TableGrid& grid, int id, GridPosition first) {
  std::optional<GridPosition> at = grid.FindCell(id);
  if (!at && grid.RowCount() > 0 && grid.ColumnCount() > 0) {
    const int row = std::min(first.row, grid.RowCount() - 1);
    const int column = std::min(first.column, grid.ColumnCount() - 1);
    if (grid.HasSlot(row, column) && !grid.Rows()[static_cast<size_t>(row)].serviceable) {
      at = grid.OriginOf(row, column);
    }
  }
  if (!at) return nullptr;
  const ComPtr<IHTMLTableCell>& cell = grid.Slot(at->row, at->column).cell.element;
  return cell ? cell.As<IHTMLElement>() : nullptr;
}

LONG ToLong(const VARIANT& value) {
  VariantHolder converted;
  HRESULT hr = VariantChangeType(converted.Get(), &value, 0, VT_I4);
  if (FAILED(hr)) throw ConverterError(E_INVALIDARG);
  return converted->lVal;
}

}  // namespace

HRESULT PerformTableOperation(IDispatch* document, LONG op) {
  ComPtr<IHTMLDocument2> doc;
  if (document) document->QueryInterface(IHTMLDocument2::kIID, doc.PutVoid());
  if (!doc) return E_INVALIDARG;

  SelectedCells selected = CollectSelectedCells(doc.Get());
  std::optional<std::u16string> dir = ReadAttribute(selected.table.Get(), u"dir");
  if (dir && Normalized(*dir) == u"rtl") return E_NOTIMPL;

  TableGrid grid(selected.table.As<IHTMLTable>());
  if (!grid.Table()) Check(E_NOINTERFACE);
  BuildGrid(grid);
  // The code is looked at only now: a bad selection, a right-to-left table or a table that is
  // no grid answer first, whatever the code.
  if (!IsOffered(op)) return E_NOTIMPL;
  const GridSelection selection = Translate(grid, selected.cells);
  const GridPosition first = selection.cells.front();
  const int first_id = grid.Slot(first.row, first.column).cell.id;

  CaretKeeper caret(doc.Get(), selected.range.Get());
  if (!RunEdit(grid, op, selection)) return S_OK;
  Finish(grid);
  caret.Restore(EditedCell(grid, first_id, first).Get());
  return S_OK;
}

HRESULT PerformTableOperationEx(IDispatch* source, LONG opex, const VARIANT& columns,
                                const VARIANT& rows) {
  ComPtr<IHTMLElement> element;
  if (source) source->QueryInterface(IHTMLElement::kIID, element.PutVoid());
  if (!element) return E_INVALIDARG;
  ComPtr<IHTMLElement> cell, row, table;
  for (ComPtr<IHTMLElement> e = element; e; e = ParentElement(e.Get())) {
    const std::u16string tag = TagName(e.Get());
    if (tag == u"TABLE") {
      table = e;
      break;
    }
    if (!cell && (tag == u"TD" || tag == u"TH")) cell = e;
    if (!row && tag == u"TR") row = e;
  }
  if (!table) return E_INVALIDARG;

  TableGrid grid(table.As<IHTMLTable>());
  if (!grid.Table()) Check(E_NOINTERFACE);
  BuildGrid(grid);
  if (opex != opexSmartSpan) return E_NOTIMPL;
  const LONG width = ToLong(columns);
  const LONG height = ToLong(rows);
  if ((!cell && !row) || width <= 0 || height <= 0) return E_INVALIDARG;

  GridPosition start;
  if (cell) {
    const DocumentPosition p = PositionOf(cell.Get());
    start = grid.TranslatePosition(p.row, p.cell);
  } else {
    LONG index = -1;
    ComPtr<IHTMLTableRow> table_row = row.As<IHTMLTableRow>();
    if (table_row) Check(table_row->get_rowIndex(&index));
    if (index < 0 || index >= grid.RowCount() || grid.ColumnCount() == 0) Fail(kTranslateFailed);
    start = {static_cast<int>(index), 0};
  }
  std::vector<GridPosition> slots;
  const int last_row =
      static_cast<int>(std::min<int64_t>(int64_t{start.row} + height, grid.RowCount()));
  const int last_column =
      static_cast<int>(std::min<int64_t>(int64_t{start.column} + width, grid.ColumnCount()));
  for (int r = start.row; r < last_row; ++r) {
    for (int c = start.column; c < last_column; ++c) {
      if (grid.HasSlot(r, c)) slots.push_back({r, c});
    }
  }
  if (!MergeCells(grid, slots)) return S_FALSE;
  Finish(grid);
  return S_OK;
}

}  // namespace kpx::tables
