// Creation functions of the XML stand-in classes, entered in the class table.
#pragma once

#include "kpx/com.h"
#include "kpx/msxml.h"

namespace kpx {

HRESULT CreateDOMDocument(IUnknown* outer, REFIID riid, void** ppv);
HRESULT CreateXSLTemplate(IUnknown* outer, REFIID riid, void** ppv);

// Enters DOMDocument and XSLTemplate in the class table, once per process; throws
// ConverterError(E_OUTOFMEMORY) without memory, and the next call tries again.
void RegisterXmlDomClasses();

}  // namespace kpx
