// Helpers for the HTML document tests and the table tests above them: documents made through the
// class table, selections made the way an editor makes them, and compact dumps of tables.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf.h"
#include "com/bstr.h"
#include "htmldom/classes.h"
#include "kpx/mshtml.h"

namespace kpx::testing {

// The stand-in classes are entered in the class table before the first test runs.
inline const bool kHtmlDomClassesRegistered = (RegisterHtmlDomClasses(), true);

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

}  // namespace kpx::testing
