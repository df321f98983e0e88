// What the edits share: finding a cell in the layout, making new cells, and cutting cells at
// block boundaries.
#pragma once

#include <vector>

#include "tables/table_grid.h"

namespace kpx::tables {

// Index in layout.cells of the cell that starts at position; throws "invalid table" when none.
size_t CellIndexAt(const GridLayout& layout, GridPosition position);

// A new empty cell with the attributes of from (not its content, element, lock or block marker).
CellData NewCellLike(TableGrid& grid, const CellData& from);

inline bool CoversColumn(const PlacedCell& cell, int column) {
  return cell.column <= column && column < cell.column + cell.colspan;
}
inline bool CoversRow(const PlacedCell& cell, int row) {
  return cell.row <= row && row < cell.row + cell.rowspan;
}

// Cuts the cell at index at every boundary strictly inside its columns (or rows): it keeps the
// first piece, and each other piece becomes a new empty cell like it, appended to layout.cells.
void CutAtColumns(TableGrid& grid, GridLayout& layout, size_t index, const std::vector<int>& cuts);
void CutAtRows(TableGrid& grid, GridLayout& layout, size_t index, const std::vector<int>& cuts);

}  // namespace kpx::tables
