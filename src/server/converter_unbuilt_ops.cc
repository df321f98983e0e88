// Operations whose subsystems are not built yet: each answers E_NOTIMPL until its work lands.
#include "server/xh2x_converter.h"

namespace kpx {

HRESULT XH2XConverter::backTransformation(IDispatch*, BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::backTransformationWithDOM(IDispatch*, BSTR, IXMLDOMDocument**) { return E_NOTIMPL; }
HRESULT XH2XConverter::partialBackTransformationWithDOM(IDispatch*, BSTR, IComponentIDs**, IXMLDOMDocument**) { return E_NOTIMPL; }
HRESULT XH2XConverter::performTableOperation(IDispatch*, enumTableOperation) { return E_NOTIMPL; }
HRESULT XH2XConverter::makeExtensible(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::insertMETA(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::performTableOperationEx(IDispatch*, enumTableOperationEx, VARIANT, VARIANT, VARIANT*) { return E_NOTIMPL; }
HRESULT XH2XConverter::resolvePaths(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::prepareDoctypeForSection508(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::balance(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::maskDoctype(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::unmaskDoctype(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::moveBodyTags(BSTR, BSTR*) { return E_NOTIMPL; }

}  // namespace kpx
