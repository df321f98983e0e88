// Which attributes the grid manages itself, and how it reads and writes them through the row and
// cell interfaces.
#pragma once

#include <string_view>

#include "kpx/mshtml.h"
#include "tables/grid_slot.h"

namespace kpx::tables {

struct CellPropertyAccess {
  HRESULT (IHTMLTableCell::*get)(BSTR*);
  HRESULT (IHTMLTableCell::*put)(BSTR);
};
struct RowPropertyAccess {
  HRESULT (IHTMLTableRow::*get)(BSTR*);
  HRESULT (IHTMLTableRow::*put)(BSTR);
};

// Indexed by CellProperty and RowProperty.
extern const CellPropertyAccess kCellPropertyAccess[kCellPropertyCount];
extern const RowPropertyAccess kRowPropertyAccess[kRowPropertyCount];

// Row and cell formatting names (align, valign, bgcolor, the border colours, height, ch, choff,
// class, style, colspan, rowspan): a row keeps every other attribute in its generic list.
bool IsRowManagedAttribute(std::u16string_view name);
// The formatting names and the cell-only ones (background, width, nowrap, abbr, axis, headers,
// scope): a cell keeps every other attribute in its generic list.
bool IsCellManagedAttribute(std::u16string_view name);

// The block marker of templates: a cell that carries it is locked, and a cell made from it
// does not take it over.
inline constexpr std::u16string_view kBlockMarker = u"isBegin";
inline constexpr std::u16string_view kServiceableMarker = u"kpsServiceable";

}  // namespace kpx::tables
