// The pieces of the table grid: the data a cell carries, the slots of a grid row, and the rows.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "kpx/mshtml.h"

namespace kpx::tables {

// The formatting properties that a cell reads and writes through the cell interface.
enum CellProperty : int {
  kCellAlign,
  kCellVAlign,
  kCellBgColor,
  kCellBackground,
  kCellBorderColor,
  kCellBorderColorLight,
  kCellBorderColorDark,
  kCellWidth,
  kCellHeight,
  kCellAbbr,
  kCellAxis,
  kCellCh,
  kCellChOff,
  kCellHeaders,
  kCellScope,
  kCellPropertyCount
};

// The formatting properties that a row reads and writes through the row interface.
enum RowProperty : int {
  kRowAlign,
  kRowVAlign,
  kRowBgColor,
  kRowBorderColor,
  kRowBorderColorLight,
  kRowBorderColorDark,
  kRowHeight,
  kRowCh,
  kRowChOff,
  kRowPropertyCount
};

struct NamedValue {
  std::u16string name;
  std::u16string value;
  friend bool operator==(const NamedValue&, const NamedValue&) = default;
};

// What a starting cell carries besides its place in the grid.
struct CellData {
  int id = 0;                  // stays with the cell through edits
  std::u16string tag = u"TD";  // "TD" or "TH"
  // By CellProperty; empty for a cell without any (the grid's slots stay small).
  std::vector<std::u16string> properties;
  bool no_wrap = false;
  std::vector<NamedValue> attributes;  // every other attribute, as written
  std::u16string class_name;
  std::u16string style;
  std::u16string content;          // inner HTML
  bool header = false;             // the outer HTML ends with "</TH>"
  bool locked = false;             // a block marker: isBegin "true"/"false"
  ComPtr<IHTMLTableCell> element;  // null for a cell the grid made
  // The document position it was read from (row index, cell index), -1 for made cells.
  int source_row = -1;
  int source_cell = -1;
};

// A property of the cell, empty when it has none.
inline const std::u16string& PropertyOf(const CellData& cell, CellProperty property) {
  static const std::u16string kNone;
  const size_t index = static_cast<size_t>(property);
  return index < cell.properties.size() ? cell.properties[index] : kNone;
}

struct GridSlot {
  bool covered = false;  // a cell that starts in another slot covers this one
  int origin_row = 0;    // covered: where that cell starts
  int origin_column = 0;
  int colspan = 1;  // starting slot: the cell's extent
  int rowspan = 1;
  CellData cell;  // starting slot: the cell
};

struct GridRow {
  std::vector<GridSlot> slots;
  bool serviceable = false;  // kpsServiceable "true": no cells, skipped by every edit
  std::array<std::u16string, kRowPropertyCount> properties;
  std::vector<NamedValue> attributes;  // every attribute the row does not manage itself
  std::u16string class_name;
  std::u16string style;
  ComPtr<IHTMLTableRow> element;  // null for a row the grid made
  int starting_cells = 0;         // cells that start in the row
};

struct GridPosition {
  int row = 0;
  int column = 0;
  friend bool operator==(const GridPosition&, const GridPosition&) = default;
};

}  // namespace kpx::tables
