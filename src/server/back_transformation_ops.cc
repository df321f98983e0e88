// The back transformation. Not built yet: each answers E_NOTIMPL until its work lands.
#include "server/xh2x_converter.h"

namespace kpx {

HRESULT XH2XConverter::backTransformation(IDispatch*, BSTR, BSTR*) {
  return E_NOTIMPL;
}
HRESULT XH2XConverter::backTransformationWithDOM(IDispatch*, BSTR, IXMLDOMDocument**) {
  return E_NOTIMPL;
}
HRESULT XH2XConverter::partialBackTransformationWithDOM(IDispatch*, BSTR, IComponentIDs**,
                                                        IXMLDOMDocument**) {
  return E_NOTIMPL;
}

}  // namespace kpx
