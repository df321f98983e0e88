// Helpers for the table tests: HTML documents made through the class table, selections made the
// way an editor makes them, and compact dumps of tables and grids.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kpx/mshtml.h"
#include "platform/bstr.h"
#include "platform/utf.h"
#include "tables/table_grid.h"

namespace kpx::testing {

inline ComPtr<IHTMLDocument2> LoadHtml(const std::string& html) {
  ComPtr<IHTMLDocument2> document;
  EXPECT_EQ(CoCreateInstance(CLSID_HTMLDocument, nullptr, CLSCTX_ALL, IHTMLDocument2::kIID,
                             document.PutVoid()),
            S_OK);
  ComPtr<IHTMLDocumentText> text = document.As<IHTMLDocumentText>();
  Bstr source(ToUtf16(html));
  EXPECT_EQ(text->loadHTML(source.Get()), S_OK);
  return document;
}

inline std::string DocumentHtml(IHTMLDocument2* document) {
  ComPtr<IHTMLDocumentText> text = ComPtr<IHTMLDocument2>(document).As<IHTMLDocumentText>();
  Bstr html;
  EXPECT_EQ(text->get_documentHTML(html.Put()), S_OK);
  return ToUtf8(html.View());
}

template <class I>
ComPtr<I> Query(IUnknown* object) {
  ComPtr<I> out;
  if (object) object->QueryInterface(I::kIID, out.PutVoid());
  return out;
}

inline std::vector<ComPtr<IHTMLElement>> Elements(IHTMLElementCollection* collection) {
  std::vector<ComPtr<IHTMLElement>> out;
  LONG length = 0;
  collection->get_length(&length);
  for (LONG i = 0; i < length; ++i) {
    ComPtr<IDispatch> item;
    collection->item(i, item.Put());
    out.push_back(Query<IHTMLElement>(item.Get()));
  }
  return out;
}

// The index-th TABLE of the document.
inline ComPtr<IHTMLElement> TableAt(IHTMLDocument2* document, int index = 0) {
  ComPtr<IHTMLElementCollection> all, tables;
  document->get_all(all.Put());
  Bstr name(u"table");
  all->tags(name.Get(), tables.Put());
  auto found = Elements(tables.Get());
  if (index >= static_cast<int>(found.size())) return nullptr;
  return found[static_cast<size_t>(index)];
}

inline std::vector<ComPtr<IHTMLElement>> RowsOf(IHTMLElement* table) {
  ComPtr<IHTMLElementCollection> rows;
  Query<IHTMLTable>(table)->get_rows(rows.Put());
  return Elements(rows.Get());
}

inline std::vector<ComPtr<IHTMLElement>> CellsOf(IHTMLElement* row) {
  ComPtr<IHTMLElementCollection> cells;
  Query<IHTMLTableRow>(row)->get_cells(cells.Put());
  return Elements(cells.Get());
}

// Cell (row index, cell index) of a table.
inline ComPtr<IHTMLElement> CellAt(IHTMLElement* table, int row, int cell) {
  auto rows = RowsOf(table);
  if (row >= static_cast<int>(rows.size())) return nullptr;
  auto cells = CellsOf(rows[static_cast<size_t>(row)].Get());
  if (cell >= static_cast<int>(cells.size())) return nullptr;
  return cells[static_cast<size_t>(cell)];
}

inline std::string InnerText(IHTMLElement* element) {
  Bstr text;
  element->get_innerText(text.Put());
  return ToUtf8(text.View());
}

inline std::string InnerHtml(IHTMLElement* element) {
  Bstr text;
  element->get_innerHTML(text.Put());
  return ToUtf8(text.View());
}

// An empty text range at the start of the cell's text, made the document's selection.
inline void SelectCaret(IHTMLDocument2* document, IHTMLElement* cell) {
  ComPtr<IHTMLElement> body;
  document->get_body(body.Put());
  ComPtr<IHTMLTxtRange> range;
  Query<IHTMLBodyElement>(body.Get())->createTextRange(range.Put());
  ASSERT_EQ(range->moveToElementText(cell), S_OK);
  range->collapse(VARIANT_TRUE);
  ASSERT_EQ(range->select(), S_OK);
}

// A text range from the start of first's text to the end of last's, made the selection.
inline void SelectText(IHTMLDocument2* document, IHTMLElement* first, IHTMLElement* last) {
  ComPtr<IHTMLElement> body;
  document->get_body(body.Put());
  ComPtr<IHTMLTxtRange> range, end;
  ComPtr<IHTMLBodyElement> body_element = Query<IHTMLBodyElement>(body.Get());
  body_element->createTextRange(range.Put());
  body_element->createTextRange(end.Put());
  range->moveToElementText(first);
  end->moveToElementText(last);
  Bstr how(u"EndToEnd");
  range->setEndPoint(how.Get(), end.Get());
  ASSERT_EQ(range->select(), S_OK);
}

// A control range of the elements, made the selection.
inline void SelectElements(IHTMLDocument2* document, const std::vector<IHTMLElement*>& elements) {
  ComPtr<IHTMLElement> body;
  document->get_body(body.Put());
  ComPtr<IHTMLControlRange> range;
  Query<IHTMLBodyElement>(body.Get())->createControlRange(range.Put());
  for (IHTMLElement* e : elements) ASSERT_EQ(range->add(e), S_OK);
  ASSERT_EQ(range->select(), S_OK);
}

// Applies a selection written as "caret:R.C", "cells:R.C,R.C..." or "text:R.C-R.C" (row index
// and cell index in table), or "none".
inline void Select(IHTMLDocument2* document, IHTMLElement* table, const std::string& spec) {
  auto cell = [&](const std::string& ref) {
    size_t dot = ref.find('.');
    return CellAt(table, std::stoi(ref.substr(0, dot)), std::stoi(ref.substr(dot + 1)));
  };
  if (spec == "none") return;
  const std::string kind = spec.substr(0, spec.find(':'));
  const std::string rest = spec.substr(spec.find(':') + 1);
  if (kind == "caret") {
    SelectCaret(document, cell(rest).Get());
  } else if (kind == "text") {
    const size_t dash = rest.find('-');
    SelectText(document, cell(rest.substr(0, dash)).Get(), cell(rest.substr(dash + 1)).Get());
  } else {
    std::vector<ComPtr<IHTMLElement>> cells;
    for (size_t at = 0; at != std::string::npos;) {
      const size_t comma = rest.find(',', at);
      cells.push_back(cell(rest.substr(at, comma == std::string::npos ? comma : comma - at)));
      at = comma == std::string::npos ? comma : comma + 1;
    }
    std::vector<IHTMLElement*> raw;
    for (auto& c : cells) raw.push_back(c.Get());
    SelectElements(document, raw);
  }
}

// A table as the document holds it: rows joined by " | ", cells by " ", each cell its text with
// "(cN)" for colspan N and "(rN)" for rowspan N when above 1, "TH:" before a header cell's text
// and "_" for a cell without text.
inline std::string TableDump(IHTMLElement* table) {
  std::string out;
  for (const ComPtr<IHTMLElement>& row : RowsOf(table)) {
    if (!out.empty()) out += " | ";
    std::string line;
    for (const ComPtr<IHTMLElement>& cell : CellsOf(row.Get())) {
      if (!line.empty()) line += ' ';
      Bstr tag;
      cell->get_tagName(tag.Put());
      if (tag.View() == u"TH") line += "TH:";
      std::string text = InnerText(cell.Get());
      line += text.empty() ? "_" : text;
      LONG colspan = 1, rowspan = 1;
      auto c = Query<IHTMLTableCell>(cell.Get());
      c->get_colSpan(&colspan);
      c->get_rowSpan(&rowspan);
      if (colspan > 1) line += "(c" + std::to_string(colspan) + ")";
      if (rowspan > 1) line += "(r" + std::to_string(rowspan) + ")";
    }
    out += line.empty() ? "-" : line;
  }
  return out;
}

// A grid: rows joined by " | ", slots by " ": a starting slot shows its cell's content and
// "[C,R]" when it spans C columns and R rows (more than 1 by 1); a covered slot shows "<" when the
// cell starts to its left in the same row, "^" when it starts above in the same column, "\" when
// it starts above and to the left. A serviceable row shows "S" and its slots after it.
inline std::string GridDump(const tables::TableGrid& grid) {
  std::string out;
  for (int r = 0; r < grid.RowCount(); ++r) {
    if (r > 0) out += " | ";
    const tables::GridRow& row = grid.Rows()[static_cast<size_t>(r)];
    std::string line = row.serviceable ? "S" : "";
    for (int c = 0; c < static_cast<int>(row.slots.size()); ++c) {
      const tables::GridSlot& slot = row.slots[static_cast<size_t>(c)];
      if (!line.empty()) line += ' ';
      if (slot.covered) {
        line += slot.origin_row == r ? "<" : (slot.origin_column == c ? "^" : "\\");
        continue;
      }
      if (row.serviceable) {
        line += ".";
        continue;
      }
      std::string content = ToUtf8(slot.cell.content);
      line += content.empty() ? "_" : content;
      if (slot.colspan > 1 || slot.rowspan > 1) {
        line += "[" + std::to_string(slot.colspan) + "," + std::to_string(slot.rowspan) + "]";
      }
    }
    out += line;
  }
  return out;
}

}  // namespace kpx::testing
