// What the edits share.
#include "tables/grid_edit_support.h"

#include <algorithm>

#include "tables/grid_properties.h"
#include "tables/html_calls.h"

namespace kpx::tables {

size_t CellIndexAt(const GridLayout& layout, GridPosition position) {
  for (size_t i = 0; i < layout.cells.size(); ++i) {
    const PlacedCell& cell = layout.cells[i];
    if (cell.row == position.row && cell.column == position.column) return i;
  }
  Fail(kInvalidTable);
}

CellData NewCellLike(TableGrid& grid, const CellData& from) {
  CellData made;
  made.id = grid.NewCellId();
  made.tag = from.tag;
  made.properties = from.properties;
  made.no_wrap = from.no_wrap;
  made.class_name = from.class_name;
  made.style = from.style;
  made.header = from.header;
  for (const NamedValue& a : from.attributes) {
    // A block marker belongs to its block: a copy would start a second one.
    if (Normalized(a.name) != Normalized(kBlockMarker)) made.attributes.push_back(a);
  }
  return made;
}

void CutAtColumns(TableGrid& grid, GridLayout& layout, size_t index, const std::vector<int>& cuts) {
  std::vector<int> inside;
  {
    const PlacedCell& cell = layout.cells[index];
    for (int b : cuts) {
      if (cell.column < b && b < cell.column + cell.colspan) inside.push_back(b);
    }
  }
  if (inside.empty()) return;
  std::sort(inside.begin(), inside.end());
  inside.erase(std::unique(inside.begin(), inside.end()), inside.end());
  const int end = layout.cells[index].column + layout.cells[index].colspan;
  for (size_t i = 0; i < inside.size(); ++i) {
    const int piece_end = i + 1 < inside.size() ? inside[i + 1] : end;
    const PlacedCell& cell = layout.cells[index];
    PlacedCell piece{cell.row, inside[i], cell.rowspan, piece_end - inside[i],
                     NewCellLike(grid, cell.cell)};
    layout.cells.push_back(std::move(piece));
  }
  layout.cells[index].colspan = inside[0] - layout.cells[index].column;
}

void CutAtRows(TableGrid& grid, GridLayout& layout, size_t index, const std::vector<int>& cuts) {
  std::vector<int> inside;
  {
    const PlacedCell& cell = layout.cells[index];
    for (int b : cuts) {
      if (cell.row < b && b < cell.row + cell.rowspan) inside.push_back(b);
    }
  }
  if (inside.empty()) return;
  std::sort(inside.begin(), inside.end());
  inside.erase(std::unique(inside.begin(), inside.end()), inside.end());
  const int end = layout.cells[index].row + layout.cells[index].rowspan;
  for (size_t i = 0; i < inside.size(); ++i) {
    const int piece_end = i + 1 < inside.size() ? inside[i + 1] : end;
    const PlacedCell& cell = layout.cells[index];
    PlacedCell piece{inside[i], cell.column, piece_end - inside[i], cell.colspan,
                     NewCellLike(grid, cell.cell)};
    layout.cells.push_back(std::move(piece));
  }
  layout.cells[index].rowspan = inside[0] - layout.cells[index].row;
}

}  // namespace kpx::tables
