// Finding the table and the selected cells of the editor's document.
#include "tables/table_selection.h"

#include <set>

#include "tables/html_calls.h"

namespace kpx::tables {

namespace {

bool IsCellTag(const std::u16string& tag) {
  return tag == u"TD" || tag == u"TH";
}

ComPtr<IHTMLElement> AsElement(IUnknown* object) {
  ComPtr<IHTMLElement> element;
  if (object) object->QueryInterface(IHTMLElement::kIID, element.PutVoid());
  return element;
}

std::vector<ComPtr<IHTMLElement>> CellsOfRow(IHTMLElement* row) {
  std::vector<ComPtr<IHTMLElement>> cells;
  ComPtr<IHTMLTableRow> table_row;
  row->QueryInterface(IHTMLTableRow::kIID, table_row.PutVoid());
  if (!table_row) return cells;
  ComPtr<IHTMLElementCollection> collection;
  Check(table_row->get_cells(collection.Put()));
  if (!collection) return cells;
  for (const ComPtr<IDispatch>& item : Items(collection.Get())) {
    if (ComPtr<IHTMLElement> cell = AsElement(item.Get())) cells.push_back(cell);
  }
  return cells;
}

// The cells a cell, row or table stands for, in reading order.
std::vector<ComPtr<IHTMLElement>> CellsOf(IHTMLElement* element) {
  const std::u16string tag = TagName(element);
  if (IsCellTag(tag)) return {ComPtr<IHTMLElement>(element)};
  if (tag == u"TR") return CellsOfRow(element);
  std::vector<ComPtr<IHTMLElement>> cells;
  ComPtr<IHTMLTable> table;
  element->QueryInterface(IHTMLTable::kIID, table.PutVoid());
  if (!table) return cells;
  ComPtr<IHTMLElementCollection> rows;
  Check(table->get_rows(rows.Put()));
  if (!rows) return cells;
  for (const ComPtr<IDispatch>& item : Items(rows.Get())) {
    ComPtr<IHTMLElement> row = AsElement(item.Get());
    if (!row) continue;
    for (ComPtr<IHTMLElement>& cell : CellsOfRow(row.Get())) cells.push_back(std::move(cell));
  }
  return cells;
}

bool IsTablePart(const std::u16string& tag) {
  return IsCellTag(tag) || tag == u"TR" || tag == u"TABLE";
}

// The cell, row or table at or around element, or null.
ComPtr<IHTMLElement> TablePartAround(IHTMLElement* element) {
  for (ComPtr<IHTMLElement> e(element); e; e = ParentElement(e.Get())) {
    if (IsTablePart(TagName(e.Get()))) return e;
  }
  return nullptr;
}

LONG TextLength(IHTMLElement* element) {
  return static_cast<LONG>(ReadText(element, &IHTMLElement::get_innerText).size());
}

// The cells of a text range: those of the innermost cell, row or table around the range that holds
// at least as much text, less those that end before the range starts or start after it ends.
std::vector<ComPtr<IHTMLElement>> CellsOfTextRange(IHTMLDocument2* document, IHTMLTxtRange* range) {
  ComPtr<IHTMLElement> parent;
  Check(range->parentElement(parent.Put()));
  const LONG length = static_cast<LONG>(ReadText(range, &IHTMLTxtRange::get_text).size());
  ComPtr<IHTMLElement> around;
  for (ComPtr<IHTMLElement> e = parent; e; e = ParentElement(e.Get())) {
    if (IsTablePart(TagName(e.Get())) && TextLength(e.Get()) >= length) {
      around = e;
      break;
    }
  }
  if (!around) Fail(kZeroSelection);

  ComPtr<IHTMLElement> body;
  Check(document->get_body(body.Put()));
  ComPtr<IHTMLBodyElement> body_element = body ? body.As<IHTMLBodyElement>() : nullptr;
  if (!body_element) Fail(kZeroSelection);
  ComPtr<IHTMLTxtRange> probe;
  Check(body_element->createTextRange(probe.Put()));
  Bstr start_to_end(u"StartToEnd"), end_to_start(u"EndToStart");
  std::vector<ComPtr<IHTMLElement>> cells;
  for (ComPtr<IHTMLElement>& cell : CellsOf(around.Get())) {
    Check(probe->moveToElementText(cell.Get()));
    LONG order = 0;
    Check(probe->compareEndPoints(start_to_end.Get(), range, &order));
    if (order == 1) continue;  // the cell starts after the selection ends
    Check(probe->compareEndPoints(end_to_start.Get(), range, &order));
    if (order == -1) continue;  // the cell ends before the selection starts
    cells.push_back(std::move(cell));
  }
  return cells;
}

std::vector<ComPtr<IHTMLElement>> CellsOfControlRange(IHTMLControlRange* range) {
  std::vector<ComPtr<IHTMLElement>> cells;
  LONG length = 0;
  Check(range->get_length(&length));
  for (LONG i = 0; i < length; ++i) {
    ComPtr<IHTMLElement> element;
    Check(range->item(i, element.Put()));
    if (!element) continue;
    ComPtr<IHTMLElement> part = TablePartAround(element.Get());
    if (!part) continue;
    for (ComPtr<IHTMLElement>& cell : CellsOf(part.Get())) cells.push_back(std::move(cell));
  }
  return cells;
}

}  // namespace

ComPtr<IHTMLElement> EnclosingTable(IHTMLElement* element) {
  for (ComPtr<IHTMLElement> e(element); e; e = ParentElement(e.Get())) {
    if (TagName(e.Get()) == u"TABLE") return e;
  }
  return nullptr;
}

DocumentPosition PositionOf(IHTMLElement* cell) {
  DocumentPosition position;
  ComPtr<IHTMLTableCell> table_cell;
  cell->QueryInterface(IHTMLTableCell::kIID, table_cell.PutVoid());
  if (!table_cell) return position;
  Check(table_cell->get_cellIndex(&position.cell));
  ComPtr<IHTMLElement> parent = ParentElement(cell);
  ComPtr<IHTMLTableRow> row = parent ? parent.As<IHTMLTableRow>() : nullptr;
  if (row) Check(row->get_rowIndex(&position.row));
  return position;
}

SelectedCells CollectSelectedCells(IHTMLDocument2* document) {
  SelectedCells selected;
  ComPtr<IHTMLSelectionObject> selection;
  Check(document->get_selection(selection.Put()));
  if (!selection) Fail(kZeroSelection);
  Check(selection->createRange(selected.range.Put()));
  if (!selected.range) Fail(kZeroSelection);

  std::vector<ComPtr<IHTMLElement>> candidates;
  if (ComPtr<IHTMLControlRange> control = selected.range.As<IHTMLControlRange>()) {
    candidates = CellsOfControlRange(control.Get());
  } else if (ComPtr<IHTMLTxtRange> text = selected.range.As<IHTMLTxtRange>()) {
    candidates = CellsOfTextRange(document, text.Get());
  }
  if (candidates.empty()) Fail(kZeroSelection);

  selected.table = EnclosingTable(candidates.front().Get());
  if (!selected.table) Fail(kZeroSelection);
  std::vector<ComPtr<IUnknown>> taken;  // keeps the identities below alive
  std::set<IUnknown*> seen;
  for (const ComPtr<IHTMLElement>& cell : candidates) {
    ComPtr<IUnknown> identity;
    cell->QueryInterface(IUnknown::kIID, identity.PutVoid());
    if (!seen.insert(identity.Get()).second) continue;
    taken.push_back(identity);
    ComPtr<IHTMLElement> table = EnclosingTable(cell.Get());
    if (!SameObject(table.Get(), selected.table.Get())) continue;
    selected.cells.push_back(PositionOf(cell.Get()));
  }
  return selected;
}

}  // namespace kpx::tables
