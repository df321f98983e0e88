// Placeholder until the XML stand-in lands: the classes are entered but cannot be made yet.
#include "platform/msxml_classes.h"

namespace kpx {

HRESULT CreateDOMDocument(IUnknown*, REFIID, void** ppv) {
  if (ppv) *ppv = nullptr;
  return E_NOTIMPL;
}

HRESULT CreateXSLTemplate(IUnknown*, REFIID, void** ppv) {
  if (ppv) *ppv = nullptr;
  return E_NOTIMPL;
}

}  // namespace kpx
