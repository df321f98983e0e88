// The edits that add cells: insert column, insert row, insert cell and split.
#include <utility>

#include "tables/grid_edit_support.h"
#include "tables/grid_edits.h"

namespace kpx::tables {

bool InsertColumn(TableGrid& grid, GridPosition cell) {
  const int k = grid.OriginOf(cell.row, cell.column).column;
  GridLayout layout = grid.TakeLayout();
  std::vector<PlacedCell> added;
  for (PlacedCell& y : layout.cells) {
    if (y.column > k) {
      ++y.column;
    } else if (y.column == k) {
      if (y.colspan == 1) {
        // The new slot becomes a cell of its own that takes over this cell's attributes.
        added.push_back(PlacedCell{y.row, k, y.rowspan, 1, NewCellLike(grid, y.cell)});
        y.column = k + 1;
      } else {
        ++y.colspan;
      }
    } else if (y.column + y.colspan > k) {
      ++y.colspan;  // a wider cell from the left covers the new slot
    }
  }
  for (PlacedCell& a : added) layout.cells.push_back(std::move(a));
  ++layout.columns;
  grid.SetLayout(std::move(layout));
  return true;
}

bool InsertRow(TableGrid& grid, GridPosition cell) {
  const int r = grid.OriginOf(cell.row, cell.column).row;
  GridLayout layout = grid.TakeLayout();
  // The row the new one pushes down serves as its template.
  const GridRow& pattern = layout.rows[static_cast<size_t>(r)];
  GridRow made;
  made.properties = pattern.properties;
  made.attributes = pattern.attributes;
  made.class_name = pattern.class_name;
  made.style = pattern.style;
  std::vector<PlacedCell> added;
  for (PlacedCell& y : layout.cells) {
    if (y.row == r) {
      added.push_back(PlacedCell{r, y.column, 1, y.colspan, NewCellLike(grid, y.cell)});
      ++y.row;
    } else if (y.row > r) {
      ++y.row;
    } else if (y.row + y.rowspan > r) {
      ++y.rowspan;  // spans across the new row
    }
  }
  for (PlacedCell& a : added) layout.cells.push_back(std::move(a));
  layout.rows.insert(layout.rows.begin() + r, std::move(made));
  grid.SetLayout(std::move(layout));
  return true;
}

bool InsertCell(TableGrid& grid, GridPosition cell) {
  const GridPosition at = grid.OriginOf(cell.row, cell.column);
  GridLayout layout = grid.TakeLayout();
  const size_t index = CellIndexAt(layout, at);
  const PlacedCell x = layout.cells[index];
  const int k = x.column + x.colspan;
  for (size_t i = 0; i < layout.cells.size(); ++i) {
    PlacedCell& y = layout.cells[i];
    if (i == index) continue;
    if (y.column >= k) {
      ++y.column;
    } else if (CoversColumn(y, k - 1)) {
      ++y.colspan;  // in the other rows the cell before the new column takes it
    }
  }
  layout.cells.push_back(PlacedCell{x.row, k, x.rowspan, 1, NewCellLike(grid, x.cell)});
  ++layout.columns;
  grid.SetLayout(std::move(layout));
  return true;
}

bool SplitCell(TableGrid& grid, GridPosition cell) {
  const GridPosition at = grid.OriginOf(cell.row, cell.column);
  GridLayout layout = grid.TakeLayout();
  const size_t index = CellIndexAt(layout, at);
  PlacedCell& x = layout.cells[index];
  if (x.cell.locked) return false;
  if (x.colspan == 1) return InsertCell(grid, at);
  --x.colspan;
  PlacedCell piece{x.row, x.column + x.colspan, x.rowspan, 1, NewCellLike(grid, x.cell)};
  layout.cells.push_back(std::move(piece));
  grid.SetLayout(std::move(layout));
  return true;
}

}  // namespace kpx::tables
