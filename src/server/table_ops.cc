// Table editing on the editor's live document (the grid model and its edits live in src/tables).
#include "base/status.h"
#include "server/xh2x_converter.h"
#include "tables/table_operations.h"

namespace kpx {

HRESULT XH2XConverter::performTableOperation(IDispatch* pHTMLDocument2, enumTableOperation op) {
  return Guarded([&] { return tables::PerformTableOperation(pHTMLDocument2, op); });
}

HRESULT XH2XConverter::performTableOperationEx(IDispatch* pSource, enumTableOperationEx opex,
                                               VARIANT varIn1, VARIANT varIn2, VARIANT*) {
  return Guarded([&] { return tables::PerformTableOperationEx(pSource, opex, varIn1, varIn2); });
}

}  // namespace kpx
