// Random valid tables (spans up to 3, some serviceable rows, some locked cells) under random
// operations and selections. After every operation: the table reads back as a square, valid
// grid; every cell's content is there once (merged contents joined in reading order; deleted
// cells excepted); locked cells and serviceable rows are as they were; the document outside the
// table is unchanged; a failure changes nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <regex>
#include <set>

#include "base/status.h"
#include "kpx/converter.h"
#include "table_test_support.h"
#include "tables/table_operations.h"

namespace kpx::testing {
namespace {

const std::string kHead = "<html><body><p>head &amp; <i>x</i></p>\n";
const std::string kTail = "\n<div>tail</div></body></html>";

struct GeneratedTable {
  std::string html;
  std::set<int> locked;                   // tokens of locked cells
  std::vector<std::string> service_rows;  // the serviceable rows as written
};

// Cells are rectangles placed in reading order, none crossing a serviceable row; each holds a
// token "[cN]".
GeneratedTable MakeTable(std::mt19937& rng) {
  auto chance = [&](int percent) { return static_cast<int>(rng() % 100) < percent; };
  const int rows = 2 + static_cast<int>(rng() % 5);
  const int columns = 1 + static_cast<int>(rng() % 5);
  std::vector<bool> service(static_cast<size_t>(rows), false);
  for (int r = 1; r < rows - 1; ++r) service[static_cast<size_t>(r)] = chance(15);
  std::vector<std::vector<bool>> taken(static_cast<size_t>(rows),
                                       std::vector<bool>(static_cast<size_t>(columns), false));
  GeneratedTable table;
  table.html = "<table border=1>\n";
  int token = 0, service_token = 0;
  for (int r = 0; r < rows; ++r) {
    if (service[static_cast<size_t>(r)]) {
      std::string row = "<tr kpsServiceable=\"true\"><td colspan=" + std::to_string(columns) +
                        ">{S" + std::to_string(service_token++) + "}</td></tr>";
      table.service_rows.push_back(row);
      table.html += row + "\n";
      continue;
    }
    table.html += chance(20) ? "<tr class=r" + std::to_string(r) + ">" : "<tr>";
    for (int c = 0; c < columns; ++c) {
      if (taken[static_cast<size_t>(r)][static_cast<size_t>(c)]) continue;
      int max_cols = 0;
      while (c + max_cols < columns && max_cols < 3 &&
             !taken[static_cast<size_t>(r)][static_cast<size_t>(c + max_cols)]) {
        ++max_cols;
      }
      const int colspan = 1 + static_cast<int>(rng() % static_cast<unsigned>(max_cols));
      int max_rows = 0;
      while (r + max_rows < rows && max_rows < 3 && !service[static_cast<size_t>(r + max_rows)]) {
        bool free = true;
        for (int cc = c; cc < c + colspan; ++cc) {
          free = free && !taken[static_cast<size_t>(r + max_rows)][static_cast<size_t>(cc)];
        }
        if (!free) break;
        ++max_rows;
      }
      const int rowspan = 1 + static_cast<int>(rng() % static_cast<unsigned>(max_rows));
      for (int rr = r; rr < r + rowspan; ++rr) {
        for (int cc = c; cc < c + colspan; ++cc) {
          taken[static_cast<size_t>(rr)][static_cast<size_t>(cc)] = true;
        }
      }
      std::string cell = chance(10) ? "<th" : "<td";
      const bool header = cell == "<th";
      if (colspan > 1) cell += " colspan=" + std::to_string(colspan);
      if (rowspan > 1) cell += " rowspan=\"" + std::to_string(rowspan) + "\"";
      if (chance(15)) {
        cell += " isBegin=\"true\"";
        table.locked.insert(token);
      }
      if (chance(20)) cell += " align=center class=k" + std::to_string(token);
      cell += ">";
      const std::string text = "[c" + std::to_string(token++) + "]";
      cell += chance(20) ? "<b>" + text + "</b>" : text;
      if (!chance(30)) cell += header ? "</th>" : "</td>";
      table.html += cell;
    }
    table.html += chance(30) ? "\n" : "</tr>\n";
  }
  table.html += "</table>";
  return table;
}

// What a document's table holds, read through the grid.
struct TableState {
  bool square_and_valid = false;
  std::vector<std::vector<int>> cells;  // tokens per cell, cells in reading order
  std::map<int, size_t> rank;           // token -> position in reading order
  std::set<int> locked_cells;           // tokens of cells the grid reads as locked
  int selectable_rows = 0;
};

TableState ReadState(const std::string& html) {
  TableState state;
  auto document = LoadHtml(html);
  auto table = TableAt(document.Get());
  if (!table) return state;
  tables::TableGrid grid(Query<IHTMLTable>(table.Get()));
  grid.FillFromDocument();
  const std::string filled = GridDump(grid);
  grid.SquareRows();
  state.square_and_valid = grid.IsValid() && GridDump(grid) == filled;
  static const std::regex kToken("\\[c(\\d+)\\]");
  for (const tables::GridRow& row : grid.Rows()) {
    if (row.serviceable) continue;
    for (const tables::GridSlot& slot : row.slots) {
      if (slot.covered) continue;
      std::vector<int> tokens;
      const std::string content = ToUtf8(slot.cell.content);
      for (std::sregex_iterator it(content.begin(), content.end(), kToken), end; it != end; ++it) {
        tokens.push_back(std::stoi((*it)[1]));
        state.rank[tokens.back()] = state.rank.size();
      }
      if (slot.cell.locked) {
        for (int t : tokens) state.locked_cells.insert(t);
      }
      state.cells.push_back(std::move(tokens));
    }
  }
  return state;
}

struct Pick {
  std::string selection;
  bool single = true;            // exactly one cell selected
  bool reaches_service = false;  // a text range over a serviceable row selects its cell too
};

// A random selection of cells of rows that are not serviceable.
Pick RandomSelection(IHTMLDocument2* document, std::mt19937& rng) {
  auto table = TableAt(document);
  std::vector<std::string> refs;
  std::vector<size_t> ref_rows;
  std::vector<bool> service_rows;
  auto rows = RowsOf(table.Get());
  for (size_t r = 0; r < rows.size(); ++r) {
    Bstr marker(u"kpsServiceable");
    VARIANT value;
    VariantInit(&value);
    rows[r]->getAttribute(marker.Get(), 0, &value);
    const bool service = value.vt == VT_BSTR;
    VariantClear(&value);
    service_rows.push_back(service);
    if (service) continue;
    for (size_t c = 0; c < CellsOf(rows[r].Get()).size(); ++c) {
      refs.push_back(std::to_string(r) + "." + std::to_string(c));
      ref_rows.push_back(r);
    }
  }
  if (refs.empty()) return {"none", false};
  auto any = [&] { return refs[rng() % refs.size()]; };
  switch (rng() % 4) {
    case 0:
    case 1:
      return {"caret:" + any(), true};
    case 2: {
      const size_t count = 1 + rng() % 4;
      std::string spec = "cells:" + any();
      for (size_t i = 1; i < count; ++i) spec += "," + any();
      return {spec, count == 1};
    }
    default: {
      const size_t first = rng() % refs.size(), last = rng() % refs.size();
      Pick pick{"text:" + refs[first] + "-" + refs[last], false};
      for (size_t r = std::min(ref_rows[first], ref_rows[last]);
           r <= std::max(ref_rows[first], ref_rows[last]); ++r) {
        pick.reaches_service = pick.reaches_service || service_rows[r];
      }
      return pick;
    }
  }
}

TEST(TableOperationsPropertyTest, RandomOperationsKeepTablesValidAndContentsWhole) {
  const LONG kOffered[] = {opInsertColumn,   opInsertRow,       opDeleteColumn,
                           opDeleteRow,      opMergeCells,      opSplitCellHorizontally,
                           opMoveColumnLeft, opMoveColumnRight, opMoveRowUp,
                           opMoveRowDown,    opDeleteCell,      opInsertCell,
                           opSplitCell};
  // KPX_PROPERTY_SEED runs another sequence of tables.
  const char* seed = std::getenv("KPX_PROPERTY_SEED");
  std::mt19937 rng(seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 20240611u);
  int operations = 0, changed = 0;
  for (int round = 0; round < 120; ++round) {
    GeneratedTable generated = MakeTable(rng);
    std::string html = kHead + generated.html + kTail;
    SCOPED_TRACE("table: " + generated.html);
    TableState state = ReadState(html);
    ASSERT_TRUE(state.square_and_valid);
    for (int step = 0; step < 8; ++step) {
      auto document = LoadHtml(html);
      const Pick pick = RandomSelection(document.Get(), rng);
      if (pick.selection == "none") break;
      Select(document.Get(), TableAt(document.Get()).Get(), pick.selection);
      const LONG op = rng() % 20 == 0 ? 11 : kOffered[rng() % std::size(kOffered)];
      SCOPED_TRACE("step " + std::to_string(step) + ": op " + std::to_string(op) + " on " +
                   pick.selection + " of " + html);
      const HRESULT status =
          Guarded([&] { return tables::PerformTableOperation(document.Get(), op); });
      ++operations;
      const std::string written = DocumentHtml(document.Get());

      if (op == 11) {
        EXPECT_EQ(status, E_NOTIMPL);
      } else if (status == E_FAIL) {
        // Only a selection of several cells can fail: "multiple", except for merge and delete
        // cell, which take any number; or a cell of a serviceable row, which is not in the grid.
        EXPECT_FALSE(pick.single);
        if (!pick.reaches_service) {
          EXPECT_NE(op, opMergeCells);
          EXPECT_NE(op, opDeleteCell);
        }
      } else {
        EXPECT_EQ(status, S_OK);
      }
      if (status != S_OK) {
        EXPECT_EQ(written, html);
        continue;
      }
      ASSERT_EQ(written.substr(0, kHead.size()), kHead);
      ASSERT_EQ(written.substr(written.size() - kTail.size()), kTail);
      for (const std::string& row : generated.service_rows) {
        EXPECT_NE(written.find(row), std::string::npos) << row;
      }

      TableState after = ReadState(written);
      ASSERT_TRUE(after.square_and_valid) << written;
      const bool deletes = op == opDeleteColumn || op == opDeleteRow || op == opDeleteCell;
      std::set<int> seen;
      for (const std::vector<int>& cell : after.cells) {
        for (size_t i = 0; i < cell.size(); ++i) {
          EXPECT_TRUE(seen.insert(cell[i]).second) << "token " << cell[i] << " twice";
          EXPECT_TRUE(state.rank.count(cell[i])) << "token " << cell[i] << " from nowhere";
          // Merged contents come in the reading order of before.
          if (i > 0) {
            EXPECT_LT(state.rank[cell[i - 1]], state.rank[cell[i]]);
          }
        }
        // A locked cell is never merged.
        for (int t : cell) {
          if (generated.locked.count(t)) {
            EXPECT_EQ(cell.size(), 1u) << "locked token " << t << " merged";
            EXPECT_TRUE(after.locked_cells.count(t)) << "token " << t << " lost its lock";
          }
        }
      }
      for (const auto& [token, rank] : state.rank) {
        if (!deletes || generated.locked.count(token)) {
          EXPECT_TRUE(seen.count(token)) << "token " << token << " lost";
        }
      }
      if (written != html) ++changed;
      html = written;
      state = std::move(after);
    }
  }
  // The run must have exercised the edits, not only their refusals.
  RecordProperty("operations", operations);
  RecordProperty("changed", changed);
  EXPECT_GT(operations, 500);
  EXPECT_GT(changed, operations / 3);
}

}  // namespace
}  // namespace kpx::testing
