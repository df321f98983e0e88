// x2x table-grid: draws the grid model of a table of an HTML document, so that a user sees what
// the table operations see before and after an edit.
#pragma once

#include <string>

#include "tables/table_grid.h"
#include "x2x/command_options.h"
#include "x2x/console.h"

namespace x2x {

// The grid as a picture in text: one box per cell with its document position and spans, its
// flags (TH, locked) and the start of its text; covered slots marked "<" (by the cell to the
// left), "^" (by the cell above) or "^<" (above and to the left); serviceable rows marked "S".
std::string DrawTableGrid(const kpx::tables::TableGrid& grid);

// INPUT is the document (a file, or - or nothing for standard input); --table N picks the table.
// The picture goes to standard output after a line naming the table and its size. Returns 0 for
// a valid grid, 1 for an invalid one (its picture is still drawn) and 2 for a usage error.
int RunTableGrid(const CommandOptions& options, Console& console);

}  // namespace x2x
