// Moving columns and rows: two adjacent blocks exchange places.
#include <algorithm>
#include <utility>

#include "tables/grid_edit_support.h"
#include "tables/grid_edits.h"

namespace kpx::tables {

bool MoveColumnLeft(TableGrid& grid, GridPosition at) {
  if (!grid.HasSlot(at.row, at.column)) return false;
  const GridPosition z = grid.OriginOf(at.row, at.column);
  const int start = z.column;
  if (start == 0) return false;
  const int width = grid.Slot(z.row, z.column).colspan;
  // The block to the left: the cell just left of it in the same row.
  const int left = grid.OriginOf(at.row, start - 1).column;
  const int end = start + width;

  GridLayout layout = grid.TakeLayout();
  auto spans_window = [&](const PlacedCell& y) {
    return y.column <= left && y.column + y.colspan >= end;
  };
  auto meets_window = [&](const PlacedCell& y) {
    return y.column < end && y.column + y.colspan > left;
  };
  for (const PlacedCell& y : layout.cells) {
    if (meets_window(y) && !spans_window(y) && y.cell.locked) return false;
  }
  // Cells that cross a block boundary (and do not span both blocks) are cut at it first.
  const size_t count = layout.cells.size();
  for (size_t i = 0; i < count; ++i) {
    if (meets_window(layout.cells[i]) && !spans_window(layout.cells[i])) {
      CutAtColumns(grid, layout, i, {left, start, end});
    }
  }
  for (PlacedCell& y : layout.cells) {
    if (!meets_window(y) || spans_window(y)) continue;
    if (y.column < start) {
      y.column += width;
    } else {
      y.column -= start - left;
    }
  }
  grid.SetLayout(std::move(layout));
  return true;
}

bool MoveColumnRight(TableGrid& grid, GridPosition cell) {
  const GridPosition x = grid.OriginOf(cell.row, cell.column);
  const int next = x.column + grid.Slot(x.row, x.column).colspan;
  if (next >= grid.ColumnCount()) return false;
  return MoveColumnLeft(grid, {cell.row, next});
}

bool MoveRowUp(TableGrid& grid, GridPosition at) {
  if (!grid.HasSlot(at.row, at.column)) return false;
  const GridPosition z = grid.OriginOf(at.row, at.column);
  const int start = z.row;
  if (start == 0) return false;
  const int height = grid.Slot(z.row, z.column).rowspan;
  const int end = start + height;
  const auto& rows = grid.Rows();
  if (rows[static_cast<size_t>(start) - 1].serviceable || !grid.HasSlot(start - 1, z.column)) {
    return false;
  }
  // The block above: the cell just above it, in its column.
  const int top = grid.OriginOf(start - 1, z.column).row;
  for (int r = top; r < end; ++r) {
    if (rows[static_cast<size_t>(r)].serviceable) return false;
  }

  GridLayout layout = grid.TakeLayout();
  auto spans_window = [&](const PlacedCell& y) { return y.row <= top && y.row + y.rowspan >= end; };
  auto meets_window = [&](const PlacedCell& y) { return y.row < end && y.row + y.rowspan > top; };
  for (const PlacedCell& y : layout.cells) {
    if (!meets_window(y)) continue;
    // The cells of the upper block must all end at its lower edge; a cell from further up that
    // reaches into the lower block without spanning both stops the move too.
    const bool crosses_middle = y.row < start && y.row + y.rowspan > start;
    if (crosses_middle && (y.row >= top || !spans_window(y))) return false;
    if (spans_window(y)) continue;
    if (y.cell.locked) return false;
  }
  const size_t count = layout.cells.size();
  for (size_t i = 0; i < count; ++i) {
    if (meets_window(layout.cells[i]) && !spans_window(layout.cells[i])) {
      CutAtRows(grid, layout, i, {top, end});
    }
  }
  for (PlacedCell& y : layout.cells) {
    if (!meets_window(y) || spans_window(y)) continue;
    if (y.row < start) {
      y.row += height;
    } else {
      y.row -= start - top;
    }
  }
  std::rotate(layout.rows.begin() + top, layout.rows.begin() + start, layout.rows.begin() + end);
  grid.SetLayout(std::move(layout));
  return true;
}

bool MoveRowDown(TableGrid& grid, GridPosition cell) {
  const GridPosition x = grid.OriginOf(cell.row, cell.column);
  const int next = x.row + grid.Slot(x.row, x.column).rowspan;
  if (next >= grid.RowCount() || grid.Rows()[static_cast<size_t>(next)].serviceable) return false;
  return MoveRowUp(grid, {next, x.column});
}

}  // namespace kpx::tables
