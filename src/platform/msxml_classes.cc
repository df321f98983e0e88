// Creation functions of the XML stand-in classes, entered in the class table.
#include "platform/msxml_classes.h"

#include "platform/msxml_document.h"
#include "platform/msxml_xsl_template.h"
#include "platform/status.h"

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

}  // namespace kpx
