// The converter's operations. Each one is filled in by the subsystem that does its work; until
// then it answers E_NOTIMPL.
#include "server/xh2x_converter.h"

#include <new>

#include "platform/status.h"

namespace kpx {

XH2XConverter::XH2XConverter() = default;

HRESULT CreateXH2XConverter(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return Guarded([&] {
    ComPtr<XH2XConverter> object = MakeCom<XH2XConverter>();
    return object->QueryInterface(riid, ppv);
  });
}

HRESULT XH2XConverter::convert(IDispatch*, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::convertWithTidy(IDispatch*, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::convertCustom(IDispatch*, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::getErrors(BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::convertWithDOM(IDispatch*, IXMLDOMDocument**) { return E_NOTIMPL; }

HRESULT XH2XConverter::backTransformation(IDispatch*, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::backTransformationWithDOM(IDispatch*, BSTR, IXMLDOMDocument**) { return E_NOTIMPL; }

HRESULT XH2XConverter::convertSingletonWithDOM(IDispatch*, BSTR, IXMLDOMDocument**) { return E_NOTIMPL; }

HRESULT XH2XConverter::partialBackTransformationWithDOM(IDispatch*, BSTR, IComponentIDs**, IXMLDOMDocument**) { return E_NOTIMPL; }

HRESULT XH2XConverter::convertCustomWithDOM(IDispatch*, BSTR, IXMLDOMDocument**) { return E_NOTIMPL; }

HRESULT XH2XConverter::performTableOperation(IDispatch*, enumTableOperation) { return E_NOTIMPL; }

HRESULT XH2XConverter::parse(BSTR, IDispatch*, VARIANT_BOOL) { return E_NOTIMPL; }

HRESULT XH2XConverter::convertForGeneration(IDispatch*, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::forwardTransformationWithDOM(IDispatch*, BSTR, IXMLDOMDocument**) { return E_NOTIMPL; }

HRESULT XH2XConverter::makeExtensible(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::convertForPreview(IDispatch*, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::insertMETA(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::convertRawWithDOM(BSTR, IXMLDOMDocument**) { return E_NOTIMPL; }

HRESULT XH2XConverter::performTableOperationEx(IDispatch*, enumTableOperationEx, VARIANT, VARIANT, VARIANT*) { return E_NOTIMPL; }

HRESULT XH2XConverter::resolvePaths(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::initialize(IDispatch*) { return E_NOTIMPL; }

HRESULT XH2XConverter::performServiceXSLT(IXMLDOMNode*, IXMLDOMNode*, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::convertUsingProfile(IDispatch*, BSTR, IDispatch*, BSTR, IXMLDOMDocument**) { return E_NOTIMPL; }

HRESULT XH2XConverter::convertForGeneration2(IDispatch*, BSTR, LONG, BSTR*, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::prepareDoctypeForSection508(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::setPublishMode(VARIANT_BOOL) { return E_NOTIMPL; }

HRESULT XH2XConverter::balance(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::maskDoctype(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::unmaskDoctype(BSTR, BSTR*) { return E_NOTIMPL; }

HRESULT XH2XConverter::moveBodyTags(BSTR, BSTR*) { return E_NOTIMPL; }

}  // namespace kpx
