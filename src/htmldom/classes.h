// Creation function of the HTML document stand-in, entered in the class table.
#pragma once

#include "kpx/com.h"
#include "kpx/mshtml.h"

namespace kpx {

HRESULT CreateHTMLDocument(IUnknown* outer, REFIID riid, void** ppv);

// Enters HTMLDocument in the class table, once per process.
void RegisterHtmlDomClasses();

}  // namespace kpx
