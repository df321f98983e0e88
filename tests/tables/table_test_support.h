// Helpers for the table tests: the HTML document helpers and a compact dump of the grid model.
#pragma once

#include <string>

#include "htmldom/html_test_support.h"
#include "tables/table_grid.h"

namespace kpx::testing {

// A grid: rows joined by " | ", slots by " ": a starting slot shows its cell's content and
// "[C,R]" when it spans C columns and R rows (more than 1 by 1); a covered slot shows "<" when the
// cell starts to its left in the same row, "^" when it starts above in the same column, "\" when
// it starts above and to the left. A serviceable row shows "S" and its slots after it.
inline std::string GridDump(const tables::TableGrid& grid) {
  std::string out;
  for (int r = 0; r < grid.RowCount(); ++r) {
    if (r > 0) out += " | ";
    const tables::GridRow& row = grid.Rows()[static_cast<size_t>(r)];
    std::string line = row.serviceable ? "S" : "";
    for (int c = 0; c < static_cast<int>(row.slots.size()); ++c) {
      const tables::GridSlot& slot = row.slots[static_cast<size_t>(c)];
      if (!line.empty()) line += ' ';
      if (slot.covered) {
        line += slot.origin_row == r ? "<" : (slot.origin_column == c ? "^" : "\\");
        continue;
      }
      if (row.serviceable) {
        line += ".";
        continue;
      }
      std::string content = ToUtf8(slot.cell.content);
      line += content.empty() ? "_" : content;
      if (slot.colspan > 1 || slot.rowspan > 1) {
        line += "[" + std::to_string(slot.colspan) + "," + std::to_string(slot.rowspan) + "]";
      }
    }
    out += line;
  }
  return out;
}

}  // namespace kpx::testing
