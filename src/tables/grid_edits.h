// The edits of the table operations, on the grid. Each takes the starting slot of the cell it
// works on and returns whether the grid changed; an edit whose precondition is not met (a locked
// cell in the way, an edge of the table, a selection that is no rectangle) changes nothing.
// Locked cells (block markers) are never merged, split, moved or deleted; serviceable rows are
// left as they are.
#pragma once

#include <vector>

#include "tables/table_grid.h"

namespace kpx::tables {

// A column at the cell's column (left of it): cells of width 1 there get a new neighbour with
// their attributes, wider cells at or across it grow.
bool InsertColumn(TableGrid& grid, GridPosition cell);
// A row at the cell's row (above it), shaped like the row it pushes down; cells that span across
// the new row grow.
bool InsertRow(TableGrid& grid, GridPosition cell);
bool DeleteColumn(TableGrid& grid, int column);
bool DeleteRow(TableGrid& grid, int row);
// Merges the cells (each with its whole extent) when together they fill a rectangle; the top-left
// cell takes the rectangle and the contents of all, in reading order.
bool MergeCells(TableGrid& grid, const std::vector<GridPosition>& cells);
// A cell two or more columns wide gives up its last column to a new cell; a cell one column wide
// gets a new cell after it (InsertCell).
bool SplitCell(TableGrid& grid, GridPosition cell);
// A new cell right after the cell, as tall as it; in other rows the cell before the new column
// grows.
bool InsertCell(TableGrid& grid, GridPosition cell);
// Exchanges the column block of the cell at (row, column) with the block of the cell left of it
// in that row; cells that cross the block boundaries are split at them first.
bool MoveColumnLeft(TableGrid& grid, GridPosition at);
bool MoveColumnRight(TableGrid& grid, GridPosition cell);
// Exchanges the row block of the cell at (row, column) with the block of the cell above it; cells
// that cross the outer boundaries are split at them first, and nothing happens when a cell of the
// upper block reaches into the lower one.
bool MoveRowUp(TableGrid& grid, GridPosition at);
bool MoveRowDown(TableGrid& grid, GridPosition cell);
// Deletes the cell and gives its space to the first neighbour group that fits it exactly (left,
// right, above, below); a cell as wide as the table deletes its row, one as tall as the table its
// column. No group fitting leaves the grid as it was.
bool DeleteCell(TableGrid& grid, GridPosition cell);

}  // namespace kpx::tables
