// Creation functions of the XML stand-in classes, entered in the class table.
#include "xmldom/classes.h"

#include <mutex>

#include "base/status.h"
#include "xmldom/document.h"
#include "xmldom/xsl_template.h"

namespace kpx {

namespace {

template <class T>
HRESULT Create(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return Guarded([&] { return MakeCom<T>()->QueryInterface(riid, ppv); });
}

}  // namespace

HRESULT CreateDOMDocument(IUnknown* outer, REFIID riid, void** ppv) {
  return Create<DomDocument>(outer, riid, ppv);
}

HRESULT CreateXSLTemplate(IUnknown* outer, REFIID riid, void** ppv) {
  return Create<XslTemplate>(outer, riid, ppv);
}

void RegisterXmlDomClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    KpxRegisterClass(CLSID_DOMDocument, &CreateDOMDocument);
    KpxRegisterClass(CLSID_XSLTemplate, &CreateXSLTemplate);
  });
}

}  // namespace kpx
