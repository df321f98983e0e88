// Merging cells into one: the selected cells, each with its whole extent, must fill a rectangle.
#include <set>
#include <utility>

#include "tables/grid_edit_support.h"
#include "tables/grid_edits.h"

namespace kpx::tables {

bool MergeCells(TableGrid& grid, const std::vector<GridPosition>& cells) {
  // The cells as their starting slots, in reading order.
  std::set<std::pair<int, int>> origins;
  for (const GridPosition& p : cells) {
    if (!grid.HasSlot(p.row, p.column)) return false;
    const GridPosition o = grid.OriginOf(p.row, p.column);
    if (grid.Rows()[static_cast<size_t>(o.row)].serviceable) continue;  // holds no cells
    origins.emplace(o.row, o.column);
  }
  if (origins.size() < 2) return false;

  // Every slot the cells cover is marked.
  std::set<std::pair<int, int>> marked;
  for (const auto& [r, c] : origins) {
    const GridSlot& slot = grid.Slot(r, c);
    if (slot.cell.locked) return false;
    for (int rr = r; rr < r + slot.rowspan; ++rr) {
      for (int cc = c; cc < c + slot.colspan; ++cc) marked.emplace(rr, cc);
    }
  }
  auto is_marked = [&](int r, int c) { return marked.count({r, c}) > 0; };

  // From the top-left marked slot down: each row's run of marked slots from the left column must
  // be as wide as the first row's; the rectangle ends at the first row without a run.
  const int top = marked.begin()->first;
  const int left = marked.begin()->second;
  auto run = [&](int r) {
    int width = 0;
    while (is_marked(r, left + width)) ++width;
    return width;
  };
  const int width = run(top);
  int bottom = top;
  while (run(bottom) > 0) {
    if (run(bottom) != width) return false;
    ++bottom;
  }
  const int height = bottom - top;
  // Anything marked outside the rectangle (a gap and more rows, an L shape) stops the merge.
  if (static_cast<size_t>(width) * static_cast<size_t>(height) != marked.size()) return false;

  GridLayout layout = grid.TakeLayout();
  const size_t keep = CellIndexAt(layout, {top, left});
  std::u16string content;
  std::vector<bool> merged(layout.cells.size(), false);
  for (const auto& [r, c] : origins) {
    const size_t index = CellIndexAt(layout, {r, c});
    content += layout.cells[index].cell.content;
    merged[index] = index != keep;
  }
  PlacedCell& target = layout.cells[keep];
  target.rowspan = height;
  target.colspan = width;
  target.cell.content = std::move(content);
  std::vector<PlacedCell> rest;
  for (size_t i = 0; i < layout.cells.size(); ++i) {
    if (!merged[i]) rest.push_back(std::move(layout.cells[i]));
  }
  layout.cells = std::move(rest);
  grid.SetLayout(std::move(layout));
  return true;
}

}  // namespace kpx::tables
