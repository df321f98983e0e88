// The table-operation arguments of x2x: operation codes by number or name, cell references
// "R.C", and selections "cells:R.C[,R.C...]", "text:R.C-R.C" and "caret:R.C".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kpx/com.h"

namespace x2x {

// A code given as a decimal number (any 32-bit value, so that codes the library does not offer
// can be tried), or as an enumerator name with or without its "op"/"opex" prefix, in any case
// ("opMergeCells", "MergeCells", "mergecells").
std::optional<LONG> ParseTableOperation(std::string_view text);
std::optional<LONG> ParseTableOperationEx(std::string_view text);

// "name (code)" of every table operation, for help texts.
std::string TableOperationNames();
std::string TableOperationExNames();

// A cell of a table: the row index and the index of the cell within its row, both from 0.
struct CellRef {
  LONG row = 0;
  LONG cell = 0;
  friend bool operator==(const CellRef&, const CellRef&) = default;
};

std::optional<CellRef> ParseCellRef(std::string_view text);

struct TableSelection {
  enum class Kind { kCells, kText, kCaret };
  Kind kind = Kind::kCaret;
  // kCells: the selected cells; kText: the first and the last cell; kCaret: the one cell.
  std::vector<CellRef> cells;
};

// nullopt with *error set for a spec that does not read.
std::optional<TableSelection> ParseSelection(std::string_view spec, std::string* error);

}  // namespace x2x
