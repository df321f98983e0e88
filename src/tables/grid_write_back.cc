// Writing the grid back: the document's table takes the grid's shape through the table, row and
// cell interfaces. Rows and cells that keep their place keep their elements, and a value is only
// written where it differs, so that what the edit did not touch stays as it was in the document.
#include <map>
#include <optional>

#include "tables/grid_properties.h"
#include "tables/html_calls.h"
#include "tables/table_grid.h"

namespace kpx::tables {

namespace {

IUnknown* Identity(IUnknown* object, std::vector<ComPtr<IUnknown>>& keep) {
  if (!object) return nullptr;
  ComPtr<IUnknown> unknown;
  object->QueryInterface(IUnknown::kIID, unknown.PutVoid());
  keep.push_back(unknown);
  return unknown.Get();
}

struct KeptElements {
  std::vector<bool> wanted;   // the wanted item keeps its element
  std::vector<bool> current;  // the document's element stays
};

// Which of the wanted items keep their element: a run of them in document order, found greedily
// (a wanted element that the document holds after the last kept one is kept). must_keep marks
// items that have to keep theirs; an item before one of them is only kept when its element also
// comes before that one's.
KeptElements ChooseKept(const std::vector<IUnknown*>& current, const std::vector<IUnknown*>& wanted,
                        const std::vector<bool>& must_keep) {
  std::map<IUnknown*, size_t> index_of;
  for (size_t i = 0; i < current.size(); ++i) {
    if (current[i]) index_of.emplace(current[i], i);
  }
  std::vector<std::optional<size_t>> at(wanted.size());
  for (size_t w = 0; w < wanted.size(); ++w) {
    auto it = wanted[w] ? index_of.find(wanted[w]) : index_of.end();
    if (it != index_of.end()) at[w] = it->second;
  }
  // bound[w]: where the next item that must keep its element stands in the document.
  std::vector<std::optional<size_t>> bound(wanted.size());
  std::optional<size_t> next;
  for (size_t w = wanted.size(); w-- > 0;) {
    bound[w] = next;
    if (must_keep[w]) next = at[w];
  }
  KeptElements kept{std::vector<bool>(wanted.size(), false),
                    std::vector<bool>(current.size(), false)};
  std::optional<size_t> last;
  for (size_t w = 0; w < wanted.size(); ++w) {
    const bool in_order = at[w] && (!last || *at[w] > *last);
    if (!in_order) {
      if (must_keep[w]) Fail(kInvalidTable);
      continue;
    }
    if (!must_keep[w] && bound[w] && *at[w] > *bound[w]) continue;
    kept.wanted[w] = true;
    kept.current[*at[w]] = true;
    last = at[w];
  }
  return kept;
}

template <class Setter, class Getter, class I>
void WriteIfDifferent(I* object, Getter get, Setter put, const std::u16string& value) {
  if (ReadText(object, get) != value) WriteText(object, put, value);
}

// The generic attributes: those the element carries beyond the list go, the list is written.
void WriteGenericAttributes(IHTMLElement* element, const std::vector<NamedValue>& wanted,
                            bool (*managed)(std::u16string_view)) {
  ComPtr<IHTMLAttributeCollection> attributes;
  Check(element->get_attributes(attributes.Put()));
  LONG length = 0;
  Check(attributes->get_length(&length));
  std::vector<std::u16string> extra;
  for (LONG i = 0; i < length; ++i) {
    ComPtr<IHTMLDOMAttribute> attribute;
    Check(attributes->item(i, attribute.Put()));
    if (!attribute) continue;
    std::u16string name = ReadText(attribute.Get(), &IHTMLDOMAttribute::get_nodeName);
    if (managed(name)) continue;
    bool listed = false;
    for (const NamedValue& w : wanted) listed = listed || Normalized(w.name) == Normalized(name);
    if (!listed) extra.push_back(std::move(name));
  }
  for (const std::u16string& name : extra) DeleteAttribute(element, name);
  for (const NamedValue& w : wanted) {
    std::optional<std::u16string> current = ReadAttribute(element, w.name);
    if (!current || *current != w.value) WriteAttribute(element, w.name, w.value);
  }
}

void WriteClassAndStyle(IHTMLElement* element, const std::u16string& class_name,
                        const std::u16string& style) {
  WriteIfDifferent(element, &IHTMLElement::get_className, &IHTMLElement::put_className, class_name);
  ComPtr<IHTMLStyle> css;
  Check(element->get_style(css.Put()));
  if (css) WriteIfDifferent(css.Get(), &IHTMLStyle::get_cssText, &IHTMLStyle::put_cssText, style);
}

ComPtr<IHTMLElement> ElementOf(IUnknown* object) {
  ComPtr<IHTMLElement> element;
  if (object) object->QueryInterface(IHTMLElement::kIID, element.PutVoid());
  if (!element) Check(E_NOINTERFACE);
  return element;
}

void WriteRowAttributes(const GridRow& row) {
  IHTMLTableRow* element = row.element.Get();
  for (int p = 0; p < kRowPropertyCount; ++p) {
    WriteIfDifferent(element, kRowPropertyAccess[p].get, kRowPropertyAccess[p].put,
                     row.properties[static_cast<size_t>(p)]);
  }
  ComPtr<IHTMLElement> e = ElementOf(element);
  WriteGenericAttributes(e.Get(), row.attributes, &IsRowManagedAttribute);
  WriteClassAndStyle(e.Get(), row.class_name, row.style);
}

void WriteCell(const GridSlot& slot) {
  IHTMLTableCell* cell = slot.cell.element.Get();
  Check(cell->put_colSpan(slot.colspan));
  Check(cell->put_rowSpan(slot.rowspan));
  for (int p = 0; p < kCellPropertyCount; ++p) {
    WriteIfDifferent(cell, kCellPropertyAccess[p].get, kCellPropertyAccess[p].put,
                     PropertyOf(slot.cell, static_cast<CellProperty>(p)));
  }
  VARIANT_BOOL no_wrap = VARIANT_FALSE;
  Check(cell->get_noWrap(&no_wrap));
  if ((no_wrap != VARIANT_FALSE) != slot.cell.no_wrap) {
    Check(cell->put_noWrap(slot.cell.no_wrap ? VARIANT_TRUE : VARIANT_FALSE));
  }
  ComPtr<IHTMLElement> e = ElementOf(cell);
  WriteGenericAttributes(e.Get(), slot.cell.attributes, &IsCellManagedAttribute);
  WriteClassAndStyle(e.Get(), slot.cell.class_name, slot.cell.style);
  WriteIfDifferent(e.Get(), &IHTMLElement::get_innerHTML, &IHTMLElement::put_innerHTML,
                   slot.cell.content);
}

}  // namespace

void TableGrid::WriteRows() {
  ComPtr<IHTMLElementCollection> collection;
  Check(table_->get_rows(collection.Put()));
  std::vector<ComPtr<IDispatch>> current =
      collection ? Items(collection.Get()) : std::vector<ComPtr<IDispatch>>{};
  std::vector<ComPtr<IUnknown>> keep_alive;
  std::vector<IUnknown*> current_ids, wanted_ids;
  std::vector<bool> must_keep;
  for (const ComPtr<IDispatch>& row : current)
    current_ids.push_back(Identity(row.Get(), keep_alive));
  for (const GridRow& row : rows_) {
    wanted_ids.push_back(Identity(row.element.Get(), keep_alive));
    must_keep.push_back(row.serviceable);
  }
  const KeptElements kept = ChooseKept(current_ids, wanted_ids, must_keep);
  for (size_t i = current.size(); i-- > 0;) {
    if (!kept.current[i]) Check(table_->deleteRow(static_cast<LONG>(i)));
  }
  for (size_t w = 0; w < rows_.size(); ++w) {
    if (kept.wanted[w]) continue;
    ComPtr<IDispatch> made;
    Check(table_->insertRow(static_cast<LONG>(w), made.Put()));
    rows_[w].element = made.As<IHTMLTableRow>();
    if (!rows_[w].element) Check(E_NOINTERFACE);
  }
}

void TableGrid::WriteCells(int r) {
  GridRow& row = rows_[static_cast<size_t>(r)];
  ComPtr<IHTMLElementCollection> collection;
  Check(row.element->get_cells(collection.Put()));
  std::vector<ComPtr<IDispatch>> current =
      collection ? Items(collection.Get()) : std::vector<ComPtr<IDispatch>>{};
  std::vector<GridSlot*> wanted;
  for (GridSlot& slot : row.slots) {
    if (!slot.covered) wanted.push_back(&slot);
  }
  std::vector<ComPtr<IUnknown>> keep_alive;
  std::vector<IUnknown*> current_ids, wanted_ids;
  for (const ComPtr<IDispatch>& cell : current)
    current_ids.push_back(Identity(cell.Get(), keep_alive));
  for (GridSlot* slot : wanted)
    wanted_ids.push_back(Identity(slot->cell.element.Get(), keep_alive));
  const KeptElements kept =
      ChooseKept(current_ids, wanted_ids, std::vector<bool>(wanted.size(), false));
  for (size_t i = current.size(); i-- > 0;) {
    if (!kept.current[i]) Check(row.element->deleteCell(static_cast<LONG>(i)));
  }
  for (size_t w = 0; w < wanted.size(); ++w) {
    if (kept.wanted[w]) continue;
    ComPtr<IDispatch> made;
    Check(row.element->insertCell(static_cast<LONG>(w), made.Put()));
    if (wanted[w]->cell.header) {
      // New cells are TD; a header cell is made a TH in its place.
      ComPtr<IHTMLElement> element = ElementOf(made.Get());
      Bstr th(u"<TH></TH>");
      Check(element->put_outerHTML(th.Get()));
      ComPtr<IHTMLElementCollection> cells;
      Check(row.element->get_cells(cells.Put()));
      Check(cells->item(static_cast<LONG>(w), made.Put()));
    }
    wanted[w]->cell.element = made.As<IHTMLTableCell>();
    if (!wanted[w]->cell.element) Check(E_NOINTERFACE);
  }
  for (GridSlot* slot : wanted) WriteCell(*slot);
}

void TableGrid::WriteBack() {
  WriteRows();
  for (int r = 0; r < RowCount(); ++r) {
    GridRow& row = rows_[static_cast<size_t>(r)];
    if (row.serviceable) continue;
    WriteRowAttributes(row);
    WriteCells(r);
  }
}

}  // namespace kpx::tables
