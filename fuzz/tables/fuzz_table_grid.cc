// Fuzz target: an HTML document loaded from arbitrary text, and the grid model run on its tables:
// fill, square, check, compact, write back; then one table operation with the caret in the first
// cell. The input is UTF-8 (invalid bytes replaced).
// Invariants: a document that nothing edited writes back exactly as loaded; compacting a valid
// grid leaves it valid; an operation answers one of its statuses, and a failure leaves the
// document as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/status.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "htmldom/classes.h"
#include "kpx/mshtml.h"
#include "tables/table_grid.h"
#include "tables/table_operations.h"

namespace {

using kpx::Bstr;

// Tables per input, and the size of a grid that is still written back (the write-back of a huge
// grid is slow, not wrong).
constexpr LONG kMaxTables = 8;
constexpr size_t kMaxWrittenSlots = 4000;

void Check(bool condition) {
  if (!condition) std::abort();
}

template <class I>
ComPtr<I> Query(IUnknown* object) {
  ComPtr<I> out;
  if (object) object->QueryInterface(I::kIID, out.PutVoid());
  return out;
}

std::u16string DocumentText(IHTMLDocument2* document) {
  Bstr text;
  Check(Query<IHTMLDocumentText>(document)->get_documentHTML(text.Put()) == S_OK);
  return text.Str();
}

std::vector<ComPtr<IDispatch>> Tables(IHTMLDocument2* document) {
  std::vector<ComPtr<IDispatch>> tables;
  ComPtr<IHTMLElementCollection> all, found;
  Check(document->get_all(all.Put()) == S_OK);
  Bstr name(u"TABLE");
  Check(all->tags(name.Get(), found.Put()) == S_OK);
  LONG length = 0;
  found->get_length(&length);
  for (LONG i = 0; i < length && i < kMaxTables; ++i) {
    ComPtr<IDispatch> table;
    found->item(i, table.Put());
    tables.push_back(table);
  }
  return tables;
}

// Runs the grid on one table; true when it wrote the table back.
bool RunGrid(IDispatch* table) {
  kpx::tables::TableGrid grid(Query<IHTMLTable>(table));
  try {
    grid.FillFromDocument();
    grid.SquareRows();
    if (!grid.IsValid()) return false;
    grid.Compact();
    Check(grid.IsValid());
    const size_t slots =
        static_cast<size_t>(grid.RowCount()) * static_cast<size_t>(grid.ColumnCount());
    if (slots > kMaxWrittenSlots) return false;
    grid.WriteBack();
    return true;
  } catch (const kpx::ConverterError&) {
    return false;  // "invalid table" for a grid too large
  }
}

void RunOperation(IHTMLDocument2* document, IDispatch* table, LONG op) {
  // Huge grids are skipped here too: an edit writes back every cell.
  kpx::tables::TableGrid measure(Query<IHTMLTable>(table));
  try {
    measure.FillFromDocument();
  } catch (const kpx::ConverterError&) {
    return;
  }
  const size_t slots =
      static_cast<size_t>(measure.RowCount()) * static_cast<size_t>(measure.ColumnCount());
  if (slots > kMaxWrittenSlots) return;
  ComPtr<IHTMLElementCollection> rows;
  if (Query<IHTMLTable>(table)->get_rows(rows.Put()) != S_OK) return;
  ComPtr<IDispatch> row;
  if (rows->item(0, row.Put()) != S_OK) return;
  ComPtr<IHTMLElementCollection> cells;
  Query<IHTMLTableRow>(row.Get())->get_cells(cells.Put());
  ComPtr<IDispatch> cell;
  if (cells->item(0, cell.Put()) != S_OK) return;
  ComPtr<IHTMLElement> body;
  if (document->get_body(body.Put()) != S_OK) return;
  ComPtr<IHTMLTxtRange> range;
  Check(Query<IHTMLBodyElement>(body.Get())->createTextRange(range.Put()) == S_OK);
  Check(range->moveToElementText(Query<IHTMLElement>(cell.Get()).Get()) == S_OK);
  range->collapse(VARIANT_TRUE);
  Check(range->select() == S_OK);
  const std::u16string before = DocumentText(document);
  const HRESULT hr = kpx::Guarded([&] { return kpx::tables::PerformTableOperation(document, op); });
  Check(hr == S_OK || hr == E_FAIL || hr == E_NOTIMPL);
  if (hr != S_OK) Check(DocumentText(document) == before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = kpx::ToUtf16(bytes);
  ComPtr<IHTMLDocument2> document;
  Check(kpx::CreateHTMLDocument(nullptr, IHTMLDocument2::kIID, document.PutVoid()) == S_OK);
  Bstr source(text);
  Check(Query<IHTMLDocumentText>(document.Get())->loadHTML(source.Get()) == S_OK);
  Check(DocumentText(document.Get()) == text);

  std::vector<ComPtr<IDispatch>> tables = Tables(document.Get());
  bool written = false;
  for (const ComPtr<IDispatch>& table : tables) written = RunGrid(table.Get()) || written;
  // A written-back document loads again.
  const std::u16string after = DocumentText(document.Get());
  Check(written || after == text);
  Bstr reread(after);
  Check(Query<IHTMLDocumentText>(document.Get())->loadHTML(reread.Get()) == S_OK);

  tables = Tables(document.Get());
  if (!tables.empty()) RunOperation(document.Get(), tables[0].Get(), static_cast<LONG>(size % 19));
  return 0;
}
