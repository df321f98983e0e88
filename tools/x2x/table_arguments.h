// The table-operation arguments of x2x: operation codes by number or name, cell references
// "R.C", selections "cells:R.C[,R.C...]", "text:R.C-R.C" and "caret:R.C", and the editor's
// document they apply to.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kpx/com.h"
#include "kpx/mshtml.h"

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
std::optional<TableSelection> ParseSelection(std::string_view selection_text, std::string* error);

// The editor's document: an HTML document of the library's class, loaded from text. Null with
// *error set when the class cannot be made.
ComPtr<IHTMLDocument2> LoadEditorDocument(std::u16string_view html, std::string* error);

// The table with that index (0 for the first, in document order, nested tables counted), or null.
ComPtr<IHTMLElement> FindTable(IHTMLDocument2* document, LONG index);
LONG CountTables(IHTMLDocument2* document);

// The cell at a reference (row index and cell index within the row), or null.
ComPtr<IHTMLElement> FindCell(IHTMLElement* table, const CellRef& cell);

// Makes the selection the document's selection, as an editor would: a control range of the
// cells, a text range from the start of the first cell's text to the end of the last's, or an
// empty text range at the start of the cell's text. False with *error set for a cell the table
// does not have.
bool ApplySelection(IHTMLDocument2* document, IHTMLElement* table, const TableSelection& selection,
                    std::string* error);

// The document written back as HTML (UTF-16).
std::u16string WrittenDocument(IHTMLDocument2* document);

}  // namespace x2x
