// Filling the grid from the document's table, and squaring its rows.
#include <algorithm>

#include "com/variant_holder.h"
#include "tables/grid_properties.h"
#include "tables/html_calls.h"
#include "tables/table_grid.h"

namespace kpx::tables {

namespace {

struct ElementAttributes {
  std::vector<NamedValue> generic;
  std::u16string class_name;
  std::u16string style;
};

// The attributes of an element that the grid does not manage itself (managed tells which), and
// its class and style text.
ElementAttributes ReadAttributes(IHTMLElement* element, bool (*managed)(std::u16string_view)) {
  ElementAttributes out;
  ComPtr<IHTMLAttributeCollection> attributes;
  Check(element->get_attributes(attributes.Put()));
  LONG length = 0;
  Check(attributes->get_length(&length));
  for (LONG i = 0; i < length; ++i) {
    ComPtr<IHTMLDOMAttribute> attribute;
    Check(attributes->item(i, attribute.Put()));
    if (!attribute) continue;
    std::u16string name = ReadText(attribute.Get(), &IHTMLDOMAttribute::get_nodeName);
    if (managed(name)) continue;
    VariantHolder value;
    Check(attribute->get_nodeValue(value.Get()));
    std::u16string text = value->vt == VT_BSTR ? std::u16string(BstrView(value->bstrVal)) : u"";
    out.generic.push_back({std::move(name), std::move(text)});
  }
  out.class_name = ReadText(element, &IHTMLElement::get_className);
  ComPtr<IHTMLStyle> style;
  Check(element->get_style(style.Put()));
  if (style) out.style = ReadText(style.Get(), &IHTMLStyle::get_cssText);
  return out;
}

ComPtr<IHTMLElement> AsElement(IUnknown* object) {
  ComPtr<IHTMLElement> element;
  if (object) object->QueryInterface(IHTMLElement::kIID, element.PutVoid());
  if (!element) Check(E_NOINTERFACE);
  return element;
}

bool EndsWith(std::u16string_view text, std::u16string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

void TableGrid::ReadRow(IHTMLTableRow* row, GridRow& grid_row) {
  grid_row.element = ComPtr<IHTMLTableRow>(row);
  for (int p = 0; p < kRowPropertyCount; ++p) {
    grid_row.properties[static_cast<size_t>(p)] = ReadText(row, kRowPropertyAccess[p].get);
  }
  ComPtr<IHTMLElement> element = AsElement(row);
  ElementAttributes attributes = ReadAttributes(element.Get(), &IsRowManagedAttribute);
  grid_row.attributes = std::move(attributes.generic);
  grid_row.class_name = std::move(attributes.class_name);
  grid_row.style = std::move(attributes.style);
  std::optional<std::u16string> marker = ReadAttribute(element.Get(), kServiceableMarker);
  grid_row.serviceable = marker && Normalized(*marker) == u"true";
}

void TableGrid::PlaceCell(int row, int index, IHTMLTableCell* cell) {
  LONG colspan = 1, rowspan = 1;
  Check(cell->get_colSpan(&colspan));
  Check(cell->get_rowSpan(&rowspan));
  colspan = std::max<LONG>(colspan, 1);
  rowspan = std::max<LONG>(rowspan, 1);
  if (static_cast<size_t>(colspan) * static_cast<size_t>(rowspan) > kMaxSlots) Fail(kInvalidTable);

  CellData data;
  data.id = NewCellId();
  data.source_row = row;
  data.source_cell = index;
  data.element = ComPtr<IHTMLTableCell>(cell);
  data.properties.resize(kCellPropertyCount);
  for (int p = 0; p < kCellPropertyCount; ++p) {
    data.properties[static_cast<size_t>(p)] = ReadText(cell, kCellPropertyAccess[p].get);
  }
  VARIANT_BOOL no_wrap = VARIANT_FALSE;
  Check(cell->get_noWrap(&no_wrap));
  data.no_wrap = no_wrap != VARIANT_FALSE;
  ComPtr<IHTMLElement> element = AsElement(cell);
  ElementAttributes attributes = ReadAttributes(element.Get(), &IsCellManagedAttribute);
  data.attributes = std::move(attributes.generic);
  data.class_name = std::move(attributes.class_name);
  data.style = std::move(attributes.style);
  std::optional<std::u16string> marker = ReadAttribute(element.Get(), kBlockMarker);
  data.locked = marker && (Normalized(*marker) == u"true" || Normalized(*marker) == u"false");
  data.content = ReadText(element.Get(), &IHTMLElement::get_innerHTML);
  data.header = EndsWith(ReadText(element.Get(), &IHTMLElement::get_outerHTML), u"</TH>");
  data.tag = TagName(element.Get());

  // The first slot of the row, from the fill column on, that no cell above or to the left covers.
  int column = fill_column_;
  while (HasSlot(row, column) && Slot(row, column).covered) ++column;
  for (int r = row; r < row + rowspan; ++r) {
    for (int c = column; c < column + colspan; ++c) {
      GridSlot& slot = EnsureSlot(r, c);
      slot = GridSlot{};
      if (r == row && c == column) continue;
      slot.covered = true;
      slot.origin_row = row;
      slot.origin_column = column;
    }
  }
  GridSlot& start = Slot(row, column);
  start.colspan = colspan;
  start.rowspan = rowspan;
  start.cell = std::move(data);
  ++rows_[static_cast<size_t>(row)].starting_cells;
  fill_column_ = column + colspan;
}

void TableGrid::FillFromDocument() {
  ComPtr<IHTMLElementCollection> rows;
  Check(table_->get_rows(rows.Put()));
  if (!rows) return;
  std::vector<ComPtr<IDispatch>> items = Items(rows.Get());
  for (size_t i = 0; i < items.size(); ++i) {
    ComPtr<IHTMLTableRow> row = items[i].As<IHTMLTableRow>();
    if (!row) Check(E_NOINTERFACE);
    fill_row_ = static_cast<int>(i);
    fill_column_ = 0;
    if (rows_.size() <= i) rows_.resize(i + 1);
    ReadRow(row.Get(), rows_[i]);
    if (rows_[i].serviceable) continue;
    ComPtr<IHTMLElementCollection> cells;
    Check(row->get_cells(cells.Put()));
    if (!cells) continue;
    std::vector<ComPtr<IDispatch>> cell_items = Items(cells.Get());
    for (size_t j = 0; j < cell_items.size(); ++j) {
      ComPtr<IHTMLTableCell> cell = cell_items[j].As<IHTMLTableCell>();
      if (!cell) Check(E_NOINTERFACE);
      PlaceCell(fill_row_, static_cast<int>(j), cell.Get());
    }
  }
}

bool TableGrid::FillGap(int row, int column) {
  // Widen the row's last cell, when it spans this row only.
  if (column > 0) {
    const GridPosition o = OriginOf(row, column - 1);
    if (Slot(o.row, o.column).rowspan == 1) {
      Slot(o.row, o.column).colspan += 1;
      GridSlot& gap = EnsureSlot(row, column);
      gap = GridSlot{};
      gap.covered = true;
      gap.origin_row = o.row;
      gap.origin_column = o.column;
      return true;
    }
  }
  // Extend down the cell above the gap, when it is one column wide and ends just above.
  if (row > 0 && HasSlot(row - 1, column)) {
    const GridPosition o = OriginOf(row - 1, column);
    const GridSlot& above = Slot(o.row, o.column);
    if (above.colspan == 1 && o.row + above.rowspan == row &&
        !rows_[static_cast<size_t>(o.row)].serviceable) {
      Slot(o.row, o.column).rowspan += 1;
      GridSlot& gap = EnsureSlot(row, column);
      gap = GridSlot{};
      gap.covered = true;
      gap.origin_row = o.row;
      gap.origin_column = o.column;
      return true;
    }
  }
  // Extend up the cell below the gap, when it is one column wide and starts just below.
  if (HasSlot(row + 1, column) && !rows_[static_cast<size_t>(row) + 1].serviceable) {
    const GridPosition o = OriginOf(row + 1, column);
    if (o.row == row + 1 && Slot(o.row, o.column).colspan == 1) {
      GridSlot moved = std::move(Slot(o.row, o.column));
      moved.rowspan += 1;
      EnsureSlot(row, column) = std::move(moved);
      const int rowspan = Slot(row, column).rowspan;
      for (int r = row + 1; r < row + rowspan; ++r) {
        GridSlot& part = Slot(r, column);
        part = GridSlot{};
        part.covered = true;
        part.origin_row = row;
        part.origin_column = column;
      }
      --rows_[static_cast<size_t>(row) + 1].starting_cells;
      ++rows_[static_cast<size_t>(row)].starting_cells;
      return true;
    }
  }
  return false;
}

void TableGrid::SquareRows() {
  for (int r = 0; r < RowCount(); ++r) {
    if (rows_[static_cast<size_t>(r)].serviceable) continue;
    while (static_cast<int>(rows_[static_cast<size_t>(r)].slots.size()) < column_count_) {
      const int column = static_cast<int>(rows_[static_cast<size_t>(r)].slots.size());
      if (FillGap(r, column)) continue;
      // No cell can take the gap: the row is padded with empty cells.
      while (static_cast<int>(rows_[static_cast<size_t>(r)].slots.size()) < column_count_) {
        EnsureSlot(r, static_cast<int>(rows_[static_cast<size_t>(r)].slots.size()));
        ++rows_[static_cast<size_t>(r)].starting_cells;
      }
    }
  }
}

}  // namespace kpx::tables
