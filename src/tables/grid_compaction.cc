// Compaction of the grid: rows and columns that no cell needs are removed, repeatedly, until a
// pass changes nothing.
#include <algorithm>
#include <climits>

#include "tables/table_grid.h"

namespace kpx::tables {

namespace {

// A row in which every cell starts and spans m > 1 rows stands with the m - 1 rows below it,
// which hold nothing of their own: those rows go and the cells lose m - 1 rows. The stretches
// of such rows never overlap, so one pass removes them all.
bool RemoveRedundantRows(GridLayout& layout) {
  const size_t rows = layout.rows.size();
  // Row numbers are ints; the bound also tells the compiler that rows + 1 cannot wrap.
  if (rows == 0 || rows > static_cast<size_t>(INT_MAX)) return false;
  std::vector<int> least(rows, INT_MAX);     // smallest rowspan of the cells starting in the row
  std::vector<int> starting(rows, 0);        // cells starting in the row
  std::vector<int> from_above(rows + 1, 0);  // cells from rows above reaching in (differences)
  for (const PlacedCell& cell : layout.cells) {
    const size_t r = static_cast<size_t>(cell.row);
    least[r] = std::min(least[r], cell.rowspan);
    ++starting[r];
    from_above[r + 1] += 1;
    from_above[r + static_cast<size_t>(cell.rowspan)] -= 1;
  }
  std::vector<int> extra(rows, 0);  // rows that go below this one
  std::vector<bool> goes(rows, false);
  bool any = false;
  int reaching = 0;
  for (size_t r = 0; r < rows; ++r) {
    reaching += from_above[r];
    if (goes[r] || layout.rows[r].serviceable || reaching > 0 || least[r] == INT_MAX ||
        least[r] <= 1) {
      continue;
    }
    const size_t count = static_cast<size_t>(least[r]) - 1;
    if (r + count >= rows) continue;
    bool removable = true;
    for (size_t b = r + 1; b <= r + count; ++b) {
      removable = removable && !layout.rows[b].serviceable && starting[b] == 0;
    }
    if (!removable) continue;
    extra[r] = static_cast<int>(count);
    for (size_t b = r + 1; b <= r + count; ++b) goes[b] = true;
    any = true;
  }
  if (!any) return false;
  std::vector<int> new_index(rows, 0);
  std::vector<GridRow> kept;
  for (size_t r = 0; r < rows; ++r) {
    new_index[r] = static_cast<int>(kept.size());
    if (!goes[r]) kept.push_back(std::move(layout.rows[r]));
  }
  for (PlacedCell& cell : layout.cells) {
    const size_t r = static_cast<size_t>(cell.row);
    cell.rowspan -= extra[r];
    cell.row = new_index[r];
  }
  layout.rows = std::move(kept);
  return true;
}

// When every row is one cell and the narrowest of them spans a > 1 columns, a - 1 columns go.
bool RemoveColumnsOfSingleCellRows(GridLayout& layout) {
  std::vector<int> starting(layout.rows.size(), 0);
  int least = INT_MAX;
  for (const PlacedCell& cell : layout.cells) {
    if (cell.column != 0) return false;
    ++starting[static_cast<size_t>(cell.row)];
    least = std::min(least, cell.colspan);
  }
  bool any = false;
  for (size_t r = 0; r < layout.rows.size(); ++r) {
    if (layout.rows[r].serviceable) continue;
    if (starting[r] != 1) return false;
    any = true;
  }
  if (!any || least <= 1) return false;
  for (PlacedCell& cell : layout.cells) cell.colspan -= least - 1;
  layout.columns -= least - 1;
  return true;
}

// A column boundary at which no cell starts or ends is not needed: every cell there spans across
// it. Such boundaries go, and the columns on both sides of each become one.
bool RemoveUnneededColumnBoundaries(GridLayout& layout) {
  if (layout.cells.empty() || layout.columns < 2) return false;
  const size_t columns = static_cast<size_t>(layout.columns);
  std::vector<bool> needed(columns + 1, false);
  needed[0] = needed[columns] = true;
  for (const PlacedCell& cell : layout.cells) {
    needed[static_cast<size_t>(cell.column)] = true;
    needed[static_cast<size_t>(cell.column + cell.colspan)] = true;
  }
  if (std::find(needed.begin(), needed.end(), false) == needed.end()) return false;
  // Where each needed boundary stands once the others are gone.
  std::vector<int> new_boundary(columns + 1, 0);
  int kept = -1;
  for (size_t b = 0; b <= columns; ++b) {
    if (needed[b]) ++kept;
    new_boundary[b] = kept;
  }
  for (PlacedCell& cell : layout.cells) {
    const int end = new_boundary[static_cast<size_t>(cell.column + cell.colspan)];
    cell.column = new_boundary[static_cast<size_t>(cell.column)];
    cell.colspan = end - cell.column;
  }
  layout.columns = kept;
  return true;
}

}  // namespace

void TableGrid::Compact() {
  while (true) {
    Remark();
    GridLayout layout = TakeLayout();
    const bool changed = RemoveRedundantRows(layout) || RemoveColumnsOfSingleCellRows(layout) ||
                         RemoveUnneededColumnBoundaries(layout);
    if (!changed) return;
    SetLayout(std::move(layout));
  }
}

}  // namespace kpx::tables
