// The edits that remove cells: delete column, delete row and delete cell.
#include <algorithm>
#include <utility>

#include "tables/grid_edit_support.h"
#include "tables/grid_edits.h"

namespace kpx::tables {

namespace {

enum class Side { kLeft, kRight, kAbove, kBelow };

// Gives the space of cell x to the neighbours on one side when they fill it exactly: their
// heights (or widths) add up to the cell's. Neighbours that would have to move may not be locked.
bool GiveSpaceTo(GridLayout& layout, size_t x_index, Side side) {
  const PlacedCell x = layout.cells[x_index];
  std::vector<size_t> group;
  int extent = 0;
  for (size_t i = 0; i < layout.cells.size(); ++i) {
    const PlacedCell& y = layout.cells[i];
    bool touches = false, inside = false;
    switch (side) {
      case Side::kLeft:
      case Side::kRight: {
        const int edge = side == Side::kLeft ? y.column + y.colspan : y.column;
        const int wanted = side == Side::kLeft ? x.column : x.column + x.colspan;
        touches = edge == wanted && y.row < x.row + x.rowspan && y.row + y.rowspan > x.row;
        inside = y.row >= x.row && y.row + y.rowspan <= x.row + x.rowspan;
        if (touches) extent += y.rowspan;
        break;
      }
      case Side::kAbove:
      case Side::kBelow: {
        const int edge = side == Side::kAbove ? y.row + y.rowspan : y.row;
        const int wanted = side == Side::kAbove ? x.row : x.row + x.rowspan;
        touches =
            edge == wanted && y.column < x.column + x.colspan && y.column + y.colspan > x.column;
        inside = y.column >= x.column && y.column + y.colspan <= x.column + x.colspan;
        if (touches) extent += y.colspan;
        break;
      }
    }
    if (!touches) continue;
    const bool moves = side == Side::kRight || side == Side::kBelow;
    if (!inside || (moves && y.cell.locked)) return false;
    group.push_back(i);
  }
  const int needed = (side == Side::kLeft || side == Side::kRight) ? x.rowspan : x.colspan;
  if (group.empty() || extent != needed) return false;
  for (size_t i : group) {
    PlacedCell& y = layout.cells[i];
    switch (side) {
      case Side::kLeft:
        y.colspan += x.colspan;
        break;
      case Side::kRight:
        y.column = x.column;
        y.colspan += x.colspan;
        break;
      case Side::kAbove:
        y.rowspan += x.rowspan;
        break;
      case Side::kBelow:
        y.row = x.row;
        y.rowspan += x.rowspan;
        break;
    }
  }
  layout.cells.erase(layout.cells.begin() + static_cast<std::ptrdiff_t>(x_index));
  return true;
}

}  // namespace

bool DeleteColumn(TableGrid& grid, int column) {
  GridLayout layout = grid.TakeLayout();
  if (column < 0 || column >= layout.columns) return false;
  for (const PlacedCell& y : layout.cells) {
    if (CoversColumn(y, column) && y.cell.locked) return false;
  }
  std::vector<PlacedCell> kept;
  for (PlacedCell& y : layout.cells) {
    if (CoversColumn(y, column)) {
      if (y.colspan == 1) continue;
      --y.colspan;
    } else if (y.column > column) {
      --y.column;
    }
    kept.push_back(std::move(y));
  }
  layout.cells = std::move(kept);
  --layout.columns;
  grid.SetLayout(std::move(layout));
  return true;
}

bool DeleteRow(TableGrid& grid, int row) {
  GridLayout layout = grid.TakeLayout();
  if (row < 0 || row >= static_cast<int>(layout.rows.size())) return false;
  if (layout.rows[static_cast<size_t>(row)].serviceable) return false;
  for (const PlacedCell& y : layout.cells) {
    if (CoversRow(y, row) && y.cell.locked) return false;
  }
  std::vector<PlacedCell> kept;
  for (PlacedCell& y : layout.cells) {
    if (CoversRow(y, row)) {
      if (y.rowspan == 1) continue;
      --y.rowspan;
    } else if (y.row > row) {
      --y.row;
    }
    kept.push_back(std::move(y));
  }
  layout.cells = std::move(kept);
  layout.rows.erase(layout.rows.begin() + row);
  grid.SetLayout(std::move(layout));
  return true;
}

bool DeleteCell(TableGrid& grid, GridPosition cell) {
  const GridPosition at = grid.OriginOf(cell.row, cell.column);
  GridLayout layout = grid.TakeLayout();
  const size_t index = CellIndexAt(layout, at);
  const PlacedCell x = layout.cells[index];
  if (x.cell.locked) return false;
  if (x.colspan == layout.columns) return DeleteRow(grid, x.row);
  if (x.rowspan == static_cast<int>(layout.rows.size())) return DeleteColumn(grid, x.column);
  for (Side side : {Side::kLeft, Side::kRight, Side::kAbove, Side::kBelow}) {
    // A side that does not fit leaves the layout untouched.
    if (GiveSpaceTo(layout, index, side)) {
      grid.SetLayout(std::move(layout));
      return true;
    }
  }
  // No neighbours fill the space exactly: the table stays as it was.
  return false;
}

}  // namespace kpx::tables
