// TableGrid: a table of the editor's document read into a rectangular grid that resolves every
// rowspan and colspan. A cell is stored in its top-left slot; every other slot of its extent is
// covered and names that slot. Serviceable rows (kpsServiceable "true") keep no cells.
//
// Life of a grid: made for a table element, filled from the document, squared and checked, edited
// (see grid_edits.h), compacted, checked again and written back into the document.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "kpx/mshtml.h"
#include "tables/grid_slot.h"

namespace kpx::tables {

// A cell with its place, as the edits see the grid.
struct PlacedCell {
  int row = 0;
  int column = 0;
  int rowspan = 1;
  int colspan = 1;
  CellData cell;
};

// The grid as rows (their slots left empty) and the list of its cells.
struct GridLayout {
  std::vector<GridRow> rows;
  std::vector<PlacedCell> cells;
  int columns = 0;
};

class TableGrid {
 public:
  // A grid may hold at most this many slots; a table that needs more is invalid.
  static constexpr size_t kMaxSlots = 500'000;

  explicit TableGrid(ComPtr<IHTMLTable> table);

  // Reads the table's rows and cells. Failures of the document's calls are thrown unchanged;
  // a table too large for the grid throws "invalid table".
  void FillFromDocument();
  // Fills every short row up to the widest (widening a cell, extending the cell above or below
  // the gap, else adding empty cells).
  void SquareRows();
  // Every row that is not serviceable is columnCount slots wide, and every cell's extent is
  // covered by it alone.
  bool IsValid() const;
  // The slot of the cell at a document position (row index, cell index within the row); throws
  // "translatePosition() failed" when no cell of the grid came from there.
  GridPosition TranslatePosition(LONG row, LONG cell) const;
  // The same for many positions at once, in one pass over the grid.
  std::vector<GridPosition> TranslatePositions(
      const std::vector<std::pair<LONG, LONG>>& positions) const;
  // Removes redundant rows and columns until nothing changes.
  void Compact();
  // Brings the document's table into the shape of the grid.
  void WriteBack();

  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColumnCount() const { return column_count_; }
  const std::vector<GridRow>& Rows() const { return rows_; }
  bool HasSlot(int row, int column) const;
  const GridSlot& Slot(int row, int column) const;
  GridSlot& Slot(int row, int column);
  // Grows the grid so that the slot exists; new slots are empty 1 by 1 cells.
  GridSlot& EnsureSlot(int row, int column);
  // The starting slot of the cell that holds (row, column).
  GridPosition OriginOf(int row, int column) const;
  // Where the cell with this id starts, if it is still in the grid.
  std::optional<GridPosition> FindCell(int id) const;
  int NewCellId() { return next_id_++; }
  IHTMLTable* Table() const { return table_.Get(); }

  GridLayout TakeLayout() const;
  // Replaces the grid with the layout's rows and cells. Throws "invalid table" when cells
  // overlap, reach outside the grid, or leave a slot of a row that is not serviceable empty.
  void SetLayout(GridLayout layout);

 private:
  // Marks every slot of each cell's extent as covered by it (repairs the marks after an edit).
  void Remark();
  // Fills the missing slot at column of a short row; false when no cell can take it.
  bool FillGap(int row, int column);
  void ReadRow(IHTMLTableRow* row, GridRow& grid_row);
  void PlaceCell(int row, int index, IHTMLTableCell* cell);
  void WriteRows();
  void WriteCells(int row);

  std::vector<GridRow> rows_;
  int column_count_ = 0;
  int fill_row_ = 0;
  int fill_column_ = 0;
  size_t slot_count_ = 0;
  int next_id_ = 1;
  ComPtr<IHTMLTable> table_;
};

}  // namespace kpx::tables
