// The table operations on the editor's live document: find the table and the selected cells, read
// the table into a grid, edit it and write it back.
//
// Statuses: E_INVALIDARG without a document (or source element); E_NOTIMPL for the codes that are
// not offered and for right-to-left tables; a failed call of the document passes its status up;
// "zero selection", "invalid table", "translatePosition() failed" and "multiple" are thrown as
// E_FAIL (the caller's boundary turns them into the status) and leave the document unchanged. An
// edit whose precondition is not met returns S_OK and changes nothing.
#pragma once

#include "kpx/com.h"
#include "kpx/mshtml.h"

namespace kpx::tables {

// op: the enumTableOperation code.
HRESULT PerformTableOperation(IDispatch* document, LONG op);

// opex: the enumTableOperationEx code; columns and rows: the size of the span (converted to
// integers). S_FALSE when the cells there cannot be merged.
HRESULT PerformTableOperationEx(IDispatch* source, LONG opex, const VARIANT& columns,
                                const VARIANT& rows);

}  // namespace kpx::tables
