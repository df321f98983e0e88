// TableGrid: slots, the validity check, positions, and the cell-list view that the edits use.
#include "tables/table_grid.h"

#include <algorithm>
#include <map>
#include <utility>

#include "tables/html_calls.h"

namespace kpx::tables {

TableGrid::TableGrid(ComPtr<IHTMLTable> table) : table_(std::move(table)) {}

bool TableGrid::HasSlot(int row, int column) const {
  return row >= 0 && column >= 0 && row < RowCount() &&
         column < static_cast<int>(rows_[static_cast<size_t>(row)].slots.size());
}

const GridSlot& TableGrid::Slot(int row, int column) const {
  return rows_[static_cast<size_t>(row)].slots[static_cast<size_t>(column)];
}

GridSlot& TableGrid::Slot(int row, int column) {
  return rows_[static_cast<size_t>(row)].slots[static_cast<size_t>(column)];
}

GridSlot& TableGrid::EnsureSlot(int row, int column) {
  if (row < 0 || column < 0) Fail(kInvalidTable);
  const size_t need_rows = static_cast<size_t>(row) + 1;
  const size_t need_columns = static_cast<size_t>(column) + 1;
  if (rows_.size() < need_rows) rows_.resize(need_rows);
  std::vector<GridSlot>& slots = rows_[static_cast<size_t>(row)].slots;
  if (slots.size() < need_columns) {
    slot_count_ += need_columns - slots.size();
    if (slot_count_ > kMaxSlots) Fail(kInvalidTable);
    while (slots.size() < need_columns) {
      slots.emplace_back();
      slots.back().cell.id = next_id_++;
    }
  }
  column_count_ = std::max(column_count_, column + 1);
  return slots[static_cast<size_t>(column)];
}

GridPosition TableGrid::OriginOf(int row, int column) const {
  const GridSlot& slot = Slot(row, column);
  if (slot.covered) return {slot.origin_row, slot.origin_column};
  return {row, column};
}

bool TableGrid::IsValid() const {
  const int rows = RowCount();
  for (int r = 0; r < rows; ++r) {
    const GridRow& row = rows_[static_cast<size_t>(r)];
    if (!row.serviceable && static_cast<int>(row.slots.size()) != column_count_) return false;
  }
  for (int r = 0; r < rows; ++r) {
    const GridRow& row = rows_[static_cast<size_t>(r)];
    const int width = static_cast<int>(row.slots.size());
    for (int c = 0; c < width; ++c) {
      const GridSlot& slot = row.slots[static_cast<size_t>(c)];
      if (slot.covered) {
        const int orow = slot.origin_row, ocol = slot.origin_column;
        if (!HasSlot(orow, ocol) || (orow == r && ocol == c)) return false;
        const GridSlot& origin = Slot(orow, ocol);
        if (origin.covered || rows_[static_cast<size_t>(orow)].serviceable) return false;
        if (r < orow || r >= orow + origin.rowspan || c < ocol || c >= ocol + origin.colspan) {
          return false;
        }
        continue;
      }
      if (row.serviceable) continue;  // no cells start in a serviceable row
      if (slot.colspan < 1 || slot.rowspan < 1) return false;
      for (int rr = r; rr < r + slot.rowspan; ++rr) {
        for (int cc = c; cc < c + slot.colspan; ++cc) {
          if (rr == r && cc == c) continue;
          if (!HasSlot(rr, cc)) return false;
          const GridSlot& part = Slot(rr, cc);
          if (!part.covered || part.origin_row != r || part.origin_column != c ||
              part.colspan != 1 || part.rowspan != 1) {
            return false;
          }
        }
      }
    }
  }
  return true;
}

GridPosition TableGrid::TranslatePosition(LONG row, LONG cell) const {
  return TranslatePositions({{row, cell}}).front();
}

std::vector<GridPosition> TableGrid::TranslatePositions(
    const std::vector<std::pair<LONG, LONG>>& positions) const {
  // Where each cell read from the document stands now (squaring may have moved one up a row).
  std::map<std::pair<LONG, LONG>, GridPosition> found;
  for (int r = 0; r < RowCount(); ++r) {
    const GridRow& grid_row = rows_[static_cast<size_t>(r)];
    if (grid_row.serviceable) continue;
    for (int c = 0; c < static_cast<int>(grid_row.slots.size()); ++c) {
      const GridSlot& slot = grid_row.slots[static_cast<size_t>(c)];
      if (!slot.covered && slot.cell.source_row >= 0) {
        found.emplace(std::pair<LONG, LONG>{slot.cell.source_row, slot.cell.source_cell},
                      GridPosition{r, c});
      }
    }
  }
  std::vector<GridPosition> out;
  for (const auto& position : positions) {
    auto it = found.find(position);
    if (it == found.end()) Fail(kTranslateFailed);
    out.push_back(it->second);
  }
  return out;
}

std::optional<GridPosition> TableGrid::FindCell(int id) const {
  for (int r = 0; r < RowCount(); ++r) {
    const GridRow& row = rows_[static_cast<size_t>(r)];
    if (row.serviceable) continue;
    for (int c = 0; c < static_cast<int>(row.slots.size()); ++c) {
      const GridSlot& slot = row.slots[static_cast<size_t>(c)];
      if (!slot.covered && slot.cell.id == id) return GridPosition{r, c};
    }
  }
  return std::nullopt;
}

GridLayout TableGrid::TakeLayout() const {
  GridLayout layout;
  layout.columns = column_count_;
  layout.rows.reserve(rows_.size());
  for (int r = 0; r < RowCount(); ++r) {
    const GridRow& row = rows_[static_cast<size_t>(r)];
    GridRow copy;
    copy.serviceable = row.serviceable;
    copy.properties = row.properties;
    copy.attributes = row.attributes;
    copy.class_name = row.class_name;
    copy.style = row.style;
    copy.element = row.element;
    layout.rows.push_back(std::move(copy));
    if (row.serviceable) continue;
    for (int c = 0; c < static_cast<int>(row.slots.size()); ++c) {
      const GridSlot& slot = row.slots[static_cast<size_t>(c)];
      if (slot.covered) continue;
      layout.cells.push_back(PlacedCell{r, c, slot.rowspan, slot.colspan, slot.cell});
    }
  }
  return layout;
}

void TableGrid::SetLayout(GridLayout layout) {
  const int rows = static_cast<int>(layout.rows.size());
  const int columns = layout.columns;
  if (columns < 0 || static_cast<size_t>(rows) * static_cast<size_t>(columns) > kMaxSlots) {
    Fail(kInvalidTable);
  }
  rows_ = std::move(layout.rows);
  column_count_ = columns;
  slot_count_ = 0;
  std::vector<std::vector<bool>> filled(rows_.size());
  for (size_t r = 0; r < rows_.size(); ++r) {
    GridRow& row = rows_[r];
    row.slots.clear();
    row.starting_cells = 0;
    if (row.serviceable) continue;
    row.slots.resize(static_cast<size_t>(columns));
    filled[r].assign(static_cast<size_t>(columns), false);
    slot_count_ += static_cast<size_t>(columns);
  }
  for (PlacedCell& placed : layout.cells) {
    const int r0 = placed.row, c0 = placed.column;
    if (placed.rowspan < 1 || placed.colspan < 1 || r0 < 0 || c0 < 0 ||
        r0 + placed.rowspan > rows || c0 + placed.colspan > columns ||
        rows_[static_cast<size_t>(r0)].serviceable) {
      Fail(kInvalidTable);
    }
    for (int r = r0; r < r0 + placed.rowspan; ++r) {
      GridRow& row = rows_[static_cast<size_t>(r)];
      std::vector<bool>& marks = filled[static_cast<size_t>(r)];
      for (int c = c0; c < c0 + placed.colspan; ++c) {
        if (row.slots.size() <= static_cast<size_t>(c)) {
          row.slots.resize(static_cast<size_t>(c) + 1);
          marks.resize(static_cast<size_t>(c) + 1, false);
        }
        if (marks[static_cast<size_t>(c)]) Fail(kInvalidTable);
        marks[static_cast<size_t>(c)] = true;
        GridSlot& slot = row.slots[static_cast<size_t>(c)];
        if (r == r0 && c == c0) continue;
        slot.covered = true;
        slot.origin_row = r0;
        slot.origin_column = c0;
      }
    }
    GridSlot& start = Slot(r0, c0);
    start.covered = false;
    start.colspan = placed.colspan;
    start.rowspan = placed.rowspan;
    start.cell = std::move(placed.cell);
    ++rows_[static_cast<size_t>(r0)].starting_cells;
  }
  for (size_t r = 0; r < rows_.size(); ++r) {
    if (rows_[r].serviceable) continue;
    if (std::find(filled[r].begin(), filled[r].end(), false) != filled[r].end()) {
      Fail(kInvalidTable);
    }
  }
}

void TableGrid::Remark() {
  for (int r = 0; r < RowCount(); ++r) {
    if (rows_[static_cast<size_t>(r)].serviceable) continue;
    for (int c = 0; c < static_cast<int>(rows_[static_cast<size_t>(r)].slots.size()); ++c) {
      const GridSlot& slot = Slot(r, c);
      if (slot.covered || (slot.colspan == 1 && slot.rowspan == 1)) continue;
      const int rowspan = slot.rowspan, colspan = slot.colspan;
      for (int rr = r; rr < r + rowspan; ++rr) {
        for (int cc = c; cc < c + colspan; ++cc) {
          if (rr == r && cc == c) continue;
          GridSlot& part = EnsureSlot(rr, cc);
          part = GridSlot{};
          part.covered = true;
          part.origin_row = r;
          part.origin_column = c;
        }
      }
    }
  }
}

}  // namespace kpx::tables
