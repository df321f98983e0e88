// The back transformation: template pre-processing and the page XML writer, as the converter
// offers them.
#include <algorithm>

#include "base/large_buffers.h"
#include "base/stage_timer.h"
#include "base/status.h"
#include "com/bstr.h"
#include "reverse/back_transformation.h"
#include "reverse/page_xml_writer.h"
#include "server/component_ids.h"
#include "server/reverse_profile_selection.h"
#include "server/xh2x_converter.h"

namespace kpx {

namespace {

// The page XML in one BSTR, its two parts copied once.
Bstr JoinedBstr(std::u16string_view root, std::u16string_view rest) {
  BSTR text = AllocBstrToFill(root.size() + rest.size(), kHugePageWorthyBytes);
  std::copy(rest.begin(), rest.end(), std::copy(root.begin(), root.end(), text));
  return Bstr::Adopt(text);
}

// The page XML loaded into a new document (as LoadIntoDocument does, from the BSTR at hand).
HRESULT LoadPageXml(const Bstr& xml, IXMLDOMDocument** out) {
  StageTimer timer("!xml");
  ComPtr<IXMLDOMDocument> document;
  HRESULT hr = CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                                document.PutVoid());
  if (FAILED(hr)) return hr;
  if (!document) return E_FAIL;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  hr = document->loadXML(xml.Get(), &loaded);
  if (hr != S_OK || loaded == VARIANT_FALSE) return E_FAIL;
  *out = document.Detach();
  return S_OK;
}

}  // namespace

HRESULT XH2XConverter::BackTransform(IDispatch* page, std::u16string_view text, Bstr* xml) {
  ComPtr<IDispatch> holder(page);
  if (!holder.As<HostPageModel>()) return E_INVALIDARG;
  StageTimer timer("!back transformation");
  SelectReverseProfile(context_, &reverse_sink_, reverse_profile_);
  PreprocessOptions options;
  options.colours = ReadRemovedFontColours();
  if (reverse_profile_ && reverse_profile_->loaded()) {
    options.substitutions = &reverse_profile_->table();
  }
  return BackTransformTemplate(
      working_text_, page, text, options,
      [xml](std::u16string_view root, std::u16string_view rest) { *xml = JoinedBstr(root, rest); });
}

HRESULT XH2XConverter::backTransformation(IDispatch* pPage, BSTR bstrTemplate, BSTR* pbstrXML) {
  return Guarded([&]() -> HRESULT {
    if (!pPage || !pbstrXML) return E_INVALIDARG;
    Bstr xml;
    HRESULT hr = BackTransform(pPage, BstrView(bstrTemplate), &xml);
    if (FAILED(hr)) return hr;
    *pbstrXML = xml.Detach();
    return S_OK;
  });
}

HRESULT XH2XConverter::backTransformationWithDOM(IDispatch* pPage, BSTR bstrTemplate,
                                                 IXMLDOMDocument** ppXMLDoc) {
  return Guarded([&]() -> HRESULT {
    if (!pPage || !ppXMLDoc) return E_INVALIDARG;
    Bstr xml;
    HRESULT hr = BackTransform(pPage, BstrView(bstrTemplate), &xml);
    if (FAILED(hr)) return hr;
    return LoadPageXml(xml, ppXMLDoc);
  });
}

HRESULT XH2XConverter::partialBackTransformationWithDOM(IDispatch* pParent, BSTR bstrTemplate,
                                                        IComponentIDs** ppComponentIDs,
                                                        IXMLDOMDocument** ppXMLDoc) {
  return Guarded([&]() -> HRESULT {
    if (!pParent || !ppComponentIDs || !ppXMLDoc) return E_INVALIDARG;
    ComPtr<IDispatch> holder(pParent);
    if (!holder.As<HostPageModel>()) return E_INVALIDARG;
    ComPtr<IComponentIDs> ids;
    HRESULT hr = CreateComponentIds(nullptr, IComponentIDs::kIID, ids.PutVoid());
    if (FAILED(hr)) return hr;
    Bstr xml;
    {
      StageTimer timer("!back transformation");
      WritePageXml(working_text_, BstrView(bstrTemplate), pParent, ids.Get(),
                   [&xml](std::u16string_view root, std::u16string_view rest) {
                     xml = JoinedBstr(root, rest);
                   });
    }
    ComPtr<IXMLDOMDocument> document;
    hr = LoadPageXml(xml, document.Put());
    if (FAILED(hr)) return hr;
    *ppComponentIDs = ids.Detach();
    *ppXMLDoc = document.Detach();
    return S_OK;
  });
}

}  // namespace kpx
