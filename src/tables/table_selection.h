// Finding the table and the selected cells of the editor's document.
#pragma once

#include <vector>

#include "kpx/mshtml.h"

namespace kpx::tables {

// A cell as the document numbers it: the row's index in its table, the cell's index in its row.
struct DocumentPosition {
  LONG row = -1;
  LONG cell = -1;
};

struct SelectedCells {
  ComPtr<IHTMLElement> table;           // the table of the first selected cell
  std::vector<DocumentPosition> cells;  // in the order the selection gives them
  ComPtr<IDispatch> range;              // the selection's range
};

// The cells of the document's selection. A control range selects its elements (a row or a table
// stands for its cells, another element for the cell, row or table around it); a text range
// selects the cells of the innermost cell, row or table around it whose text is at least as long
// as the range's, that the range touches. Cells of another table than the first cell's are left
// out. Throws "zero selection" when no cell is selected.
SelectedCells CollectSelectedCells(IHTMLDocument2* document);

// The table around an element (the element itself when it is one), or null.
ComPtr<IHTMLElement> EnclosingTable(IHTMLElement* element);

// The document position of a cell (-1 where the cell is not in a row of a table).
DocumentPosition PositionOf(IHTMLElement* cell);

}  // namespace kpx::tables
