// The back transformation: template pre-processing and the page XML writer, as the converter
// offers them.
#include "base/large_buffers.h"
#include "base/stage_timer.h"
#include "base/status.h"
#include "com/bstr.h"
#include "reverse/page_xml_writer.h"
#include "reverse/template_preprocessor.h"
#include "server/component_ids.h"
#include "server/reverse_profile_selection.h"
#include "server/xh2x_converter.h"

namespace kpx {

HRESULT XH2XConverter::BackTransform(IDispatch* page, std::u16string_view text,
                                     std::u16string* xml) {
  ComPtr<IDispatch> holder(page);
  if (!holder.As<HostPageModel>()) return E_INVALIDARG;
  StageTimer timer("!back transformation");
  SelectReverseProfile(context_, &reverse_sink_, reverse_profile_);
  PreprocessOptions options;
  options.colours = ReadRemovedFontColours();
  if (reverse_profile_ && reverse_profile_->loaded()) {
    options.substitutions = &reverse_profile_->table();
  }
  std::u16string prepared;
  HRESULT hr = PreprocessTemplate(working_text_, page, text, options, &prepared);
  if (FAILED(hr)) return hr;
  *xml = WritePageXml(working_text_, std::move(prepared), page);
  return S_OK;
}

HRESULT XH2XConverter::backTransformation(IDispatch* pPage, BSTR bstrTemplate, BSTR* pbstrXML) {
  return Guarded([&]() -> HRESULT {
    if (!pPage || !pbstrXML) return E_INVALIDARG;
    std::u16string xml;
    HRESULT hr = BackTransform(pPage, BstrView(bstrTemplate), &xml);
    if (FAILED(hr)) return hr;
    *pbstrXML = AllocBstr(xml);
    return S_OK;
  });
}

HRESULT XH2XConverter::backTransformationWithDOM(IDispatch* pPage, BSTR bstrTemplate,
                                                 IXMLDOMDocument** ppXMLDoc) {
  return Guarded([&]() -> HRESULT {
    if (!pPage || !ppXMLDoc) return E_INVALIDARG;
    std::u16string xml;
    HRESULT hr = BackTransform(pPage, BstrView(bstrTemplate), &xml);
    if (FAILED(hr)) return hr;
    return LoadIntoDocument(xml, ppXMLDoc);
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
    std::u16string xml;
    {
      StageTimer timer("!back transformation");
      xml =
          WritePageXml(working_text_, CopyOfLargeText(BstrView(bstrTemplate)), pParent, ids.Get());
    }
    ComPtr<IXMLDOMDocument> document;
    hr = LoadIntoDocument(xml, document.Put());
    if (FAILED(hr)) return hr;
    *ppComponentIDs = ids.Detach();
    *ppXMLDoc = document.Detach();
    return S_OK;
  });
}

}  // namespace kpx
