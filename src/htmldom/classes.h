// Creation function of the HTML document stand-in, entered in the class table.
#pragma once

#include "kpx/com.h"
#include "kpx/mshtml.h"

namespace kpx {

HRESULT CreateHTMLDocument(IUnknown* outer, REFIID riid, void** ppv);

// Enters HTMLDocument in the class table, once per process; throws ConverterError(E_OUTOFMEMORY)
// without memory, and the next call tries again.
void RegisterHtmlDomClasses();

}  // namespace kpx
