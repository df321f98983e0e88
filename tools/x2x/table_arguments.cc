// Parsing of the table-operation arguments.
#include "x2x/table_arguments.h"

#include <charconv>

#include "base/ascii_case.h"
#include "com/bstr.h"
#include "kpx/converter.h"

namespace x2x {

namespace {

struct NamedCode {
  std::string_view name;
  LONG code;
};

constexpr NamedCode kTableOperations[] = {
    {"opDebug", opDebug},
    {"opInsertColumn", opInsertColumn},
    {"opInsertColumnToTheLeft", opInsertColumnToTheLeft},
    {"opInsertColumnToTheRight", opInsertColumnToTheRight},
    {"opInsertRow", opInsertRow},
    {"opInsertRowToTheTop", opInsertRowToTheTop},
    {"opInsertRowToTheBottom", opInsertRowToTheBottom},
    {"opDeleteColumn", opDeleteColumn},
    {"opDeleteRow", opDeleteRow},
    {"opMergeCells", opMergeCells},
    {"opSplitCellHorizontally", opSplitCellHorizontally},
    {"opSplitCellVertically", opSplitCellVertically},
    {"opMoveColumnLeft", opMoveColumnLeft},
    {"opMoveColumnRight", opMoveColumnRight},
    {"opMoveRowUp", opMoveRowUp},
    {"opMoveRowDown", opMoveRowDown},
    {"opDeleteCell", opDeleteCell},
    {"opInsertCell", opInsertCell},
    {"opSplitCell", opSplitCell},
};

constexpr NamedCode kTableOperationsEx[] = {
    {"opexDebug", opexDebug},
    {"opexSmartSpan", opexSmartSpan},
};

std::optional<LONG> ParseLong(std::string_view text) {
  LONG value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

template <size_t N>
std::optional<LONG> ParseCode(std::string_view text, const NamedCode (&table)[N],
                              std::string_view prefix) {
  if (auto number = ParseLong(text)) return number;
  for (const NamedCode& entry : table) {
    if (kpx::EqualsIgnoringAsciiCase(text, entry.name) ||
        kpx::EqualsIgnoringAsciiCase(text, entry.name.substr(prefix.size()))) {
      return entry.code;
    }
  }
  return std::nullopt;
}

template <size_t N>
std::string Names(const NamedCode (&table)[N]) {
  std::string out;
  for (const NamedCode& entry : table) {
    if (!out.empty()) out += ", ";
    out += std::string(entry.name) + " (" + std::to_string(entry.code) + ")";
  }
  return out;
}

// A non-negative index.
std::optional<LONG> ParseIndex(std::string_view text) {
  auto value = ParseLong(text);
  if (!value || *value < 0 || text[0] == '+' || text[0] == '-') return std::nullopt;
  return value;
}

}  // namespace

std::optional<LONG> ParseTableOperation(std::string_view text) {
  return ParseCode(text, kTableOperations, "op");
}

std::optional<LONG> ParseTableOperationEx(std::string_view text) {
  return ParseCode(text, kTableOperationsEx, "opex");
}

std::string TableOperationNames() {
  return Names(kTableOperations);
}
std::string TableOperationExNames() {
  return Names(kTableOperationsEx);
}

std::optional<CellRef> ParseCellRef(std::string_view text) {
  size_t dot = text.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  auto row = ParseIndex(text.substr(0, dot));
  auto cell = ParseIndex(text.substr(dot + 1));
  if (!row || !cell) return std::nullopt;
  return CellRef{*row, *cell};
}

std::optional<TableSelection> ParseSelection(std::string_view selection_text, std::string* error) {
  size_t colon = selection_text.find(':');
  std::string_view kind = selection_text.substr(0, colon);
  std::string_view rest =
      colon == std::string_view::npos ? std::string_view() : selection_text.substr(colon + 1);
  TableSelection selection;
  auto bad = [&](const std::string& why) -> std::optional<TableSelection> {
    *error = "bad selection '" + std::string(selection_text) + "': " + why;
    return std::nullopt;
  };
  if (kind == "cells") {
    selection.kind = TableSelection::Kind::kCells;
    while (true) {
      size_t comma = rest.find(',');
      auto cell = ParseCellRef(rest.substr(0, comma));
      if (!cell) return bad("cells:R.C[,R.C...] expected");
      selection.cells.push_back(*cell);
      if (comma == std::string_view::npos) break;
      rest = rest.substr(comma + 1);
    }
  } else if (kind == "text") {
    selection.kind = TableSelection::Kind::kText;
    size_t dash = rest.find('-');
    auto first = ParseCellRef(rest.substr(0, dash));
    auto last = dash == std::string_view::npos ? std::nullopt : ParseCellRef(rest.substr(dash + 1));
    if (!first || !last) return bad("text:R.C-R.C expected");
    selection.cells = {*first, *last};
  } else if (kind == "caret") {
    selection.kind = TableSelection::Kind::kCaret;
    auto cell = ParseCellRef(rest);
    if (!cell) return bad("caret:R.C expected");
    selection.cells = {*cell};
  } else {
    return bad("it starts with cells:, text: or caret:");
  }
  return selection;
}

namespace {

template <class I>
ComPtr<I> Query(IUnknown* object) {
  ComPtr<I> out;
  if (object) object->QueryInterface(I::kIID, out.PutVoid());
  return out;
}

ComPtr<IHTMLElementCollection> Tables(IHTMLDocument2* document) {
  ComPtr<IHTMLElementCollection> all, tables;
  if (FAILED(document->get_all(all.Put())) || !all) return nullptr;
  kpx::Bstr name(u"TABLE");
  if (FAILED(all->tags(name.Get(), tables.Put()))) return nullptr;
  return tables;
}

ComPtr<IDispatch> Item(IHTMLElementCollection* collection, LONG index) {
  ComPtr<IDispatch> item;
  if (collection) collection->item(index, item.Put());
  return item;
}

ComPtr<IHTMLBodyElement> Body(IHTMLDocument2* document) {
  ComPtr<IHTMLElement> body;
  document->get_body(body.Put());
  return Query<IHTMLBodyElement>(body.Get());
}

}  // namespace

ComPtr<IHTMLDocument2> LoadEditorDocument(std::u16string_view html, std::string* error) {
  ComPtr<IHTMLDocumentText> text;
  HRESULT hr = CoCreateInstance(CLSID_HTMLDocument, nullptr, CLSCTX_ALL, IHTMLDocumentText::kIID,
                                text.PutVoid());
  if (FAILED(hr) || !text) {
    *error = "cannot make the HTML document (CoCreateInstance failed)";
    return nullptr;
  }
  kpx::Bstr source(html);
  if (FAILED(text->loadHTML(source.Get()))) {
    *error = "cannot load the HTML document";
    return nullptr;
  }
  return Query<IHTMLDocument2>(text.Get());
}

LONG CountTables(IHTMLDocument2* document) {
  LONG length = 0;
  if (ComPtr<IHTMLElementCollection> tables = Tables(document)) tables->get_length(&length);
  return length;
}

ComPtr<IHTMLElement> FindTable(IHTMLDocument2* document, LONG index) {
  ComPtr<IHTMLElementCollection> tables = Tables(document);
  return Query<IHTMLElement>(Item(tables.Get(), index).Get());
}

ComPtr<IHTMLElement> FindCell(IHTMLElement* table, const CellRef& cell) {
  ComPtr<IHTMLTable> t = Query<IHTMLTable>(table);
  ComPtr<IHTMLElementCollection> rows, cells;
  if (!t || FAILED(t->get_rows(rows.Put()))) return nullptr;
  ComPtr<IHTMLTableRow> row = Query<IHTMLTableRow>(Item(rows.Get(), cell.row).Get());
  if (!row || FAILED(row->get_cells(cells.Put()))) return nullptr;
  return Query<IHTMLElement>(Item(cells.Get(), cell.cell).Get());
}

bool ApplySelection(IHTMLDocument2* document, IHTMLElement* table, const TableSelection& selection,
                    std::string* error) {
  std::vector<ComPtr<IHTMLElement>> cells;
  for (const CellRef& ref : selection.cells) {
    ComPtr<IHTMLElement> cell = FindCell(table, ref);
    if (!cell) {
      *error = "the table has no cell " + std::to_string(ref.row) + "." + std::to_string(ref.cell);
      return false;
    }
    cells.push_back(cell);
  }
  ComPtr<IHTMLBodyElement> body = Body(document);
  if (!body) {
    *error = "the document has no body to select in";
    return false;
  }
  *error = "the document does not take the selection";
  if (selection.kind == TableSelection::Kind::kCells) {
    ComPtr<IHTMLControlRange> range;
    if (FAILED(body->createControlRange(range.Put())) || !range) return false;
    for (const ComPtr<IHTMLElement>& cell : cells) range->add(cell.Get());
    return SUCCEEDED(range->select());
  }
  ComPtr<IHTMLTxtRange> range, last;
  if (FAILED(body->createTextRange(range.Put())) || FAILED(body->createTextRange(last.Put()))) {
    return false;
  }
  range->moveToElementText(cells.front().Get());
  if (selection.kind == TableSelection::Kind::kCaret) {
    range->collapse(VARIANT_TRUE);
  } else {
    last->moveToElementText(cells.back().Get());
    kpx::Bstr how(u"EndToEnd");
    range->setEndPoint(how.Get(), last.Get());
  }
  return SUCCEEDED(range->select());
}

std::u16string WrittenDocument(IHTMLDocument2* document) {
  ComPtr<IHTMLDocumentText> text = Query<IHTMLDocumentText>(document);
  kpx::Bstr html;
  if (!text || FAILED(text->get_documentHTML(html.Put()))) return {};
  return html.Str();
}

}  // namespace x2x
