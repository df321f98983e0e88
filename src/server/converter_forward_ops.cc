// The forward operations as the converter offers them: argument checks, the stages they run, and
// the documents they return.
#include <atomic>

#include "base/stage_timer.h"
#include "base/status.h"
#include "com/bstr.h"
#include "server/xh2x_converter.h"

namespace kpx {

namespace {

// One flag for the whole process: set while parse or forwardTransformationWithDOM runs on any
// converter, so that a call made back into the library during recognition does nothing (and
// answers S_FALSE). Only the call that set it clears it: calls overlapping on two threads leave
// it clear once both have returned, whichever returns first.
std::atomic<bool> g_synchronizing{false};

class ReentrancyGuard {
 public:
  ReentrancyGuard() noexcept
      : entered_(!g_synchronizing.exchange(true, std::memory_order_acquire)) {}
  ReentrancyGuard(const ReentrancyGuard&) = delete;
  ReentrancyGuard& operator=(const ReentrancyGuard&) = delete;
  ~ReentrancyGuard() {
    if (entered_) g_synchronizing.store(false, std::memory_order_release);
  }
  // False when the flag was already set: the call must do nothing.
  bool Entered() const noexcept { return entered_; }

 private:
  bool entered_;
};

constexpr std::u16string_view kSyncMarker = u"[kps_sync]";

}  // namespace

HRESULT XH2XConverter::convert(IDispatch* pPage, BSTR* pbstrXML) {
  return Guarded([&]() -> HRESULT {
    if (!pPage || !pbstrXML) return E_INVALIDARG;
    std::u16string text;
    HRESULT hr = ReadPageText(pPage, &text);
    if (FAILED(hr)) return hr;
    Bstr input(text);
    return convertCustom(pPage, input.Get(), pbstrXML);
  });
}

HRESULT XH2XConverter::convertCustom(IDispatch* pPage, BSTR bstrXHTML, BSTR* pbstrXML) {
  return Guarded([&]() -> HRESULT {
    if (!pPage || !pbstrXML) return E_INVALIDARG;
    StageReport report;
    std::u16string xml;
    HRESULT hr = engine_->DirectConversion(context_, pPage, BstrView(bstrXHTML), 0, report, &xml);
    TakeReport(report);
    if (FAILED(hr)) return hr;
    *pbstrXML = AllocBstr(xml);
    return hr;
  });
}

HRESULT XH2XConverter::convertWithTidy(IDispatch* pPage, BSTR* pbstrXML) {
  return Guarded([&]() -> HRESULT {
    if (!pPage || !pbstrXML) return E_INVALIDARG;
    std::u16string text;
    HRESULT hr = ReadPageText(pPage, &text);
    if (FAILED(hr)) return hr;
    StageReport report;
    std::u16string xml;
    hr = engine_->RunPipeline(context_, pPage, text, 0, report, &xml);
    TakeReport(report);
    if (FAILED(hr)) return hr;
    *pbstrXML = AllocBstr(xml);
    return hr;
  });
}

HRESULT XH2XConverter::convertWithDOM(IDispatch* pPage, IXMLDOMDocument** ppXMLDoc) {
  return Guarded([&]() -> HRESULT {
    if (!pPage || !ppXMLDoc) return E_INVALIDARG;
    Bstr xml;
    {
      StageTimer timer("!withTidy");
      HRESULT hr = convertWithTidy(pPage, xml.Put());
      if (FAILED(hr)) return hr;
    }
    return LoadIntoDocument(xml.View(), ppXMLDoc);
  });
}

HRESULT XH2XConverter::convertSingletonWithDOM(IDispatch* pParent, BSTR bstrTemplate,
                                               IXMLDOMDocument** ppXMLDoc) {
  return Guarded([&]() -> HRESULT {
    if (!pParent || !ppXMLDoc) return E_INVALIDARG;
    StageReport report;
    FragmentComponents found;
    HRESULT hr =
        engine_->RecognizeFragment(context_, pParent, BstrView(bstrTemplate), report, &found);
    TakeReport(report);
    if (FAILED(hr)) return hr;
    if (found.aborted) return E_ABORT;
    if (found.component_count != 1) return E_FAIL;
    return LoadIntoDocument(found.single_xml, ppXMLDoc);
  });
}

HRESULT XH2XConverter::convertCustomWithDOM(IDispatch* pParent, BSTR bstrTemplate,
                                            IXMLDOMDocument** ppXMLDoc) {
  return Guarded([&]() -> HRESULT {
    if (!pParent || !bstrTemplate || !ppXMLDoc) return E_INVALIDARG;
    StageTimer timer("!convert-custom");
    StageReport report;
    std::optional<std::u16string> xml;
    HRESULT hr = engine_->RecognizeToXml(context_, pParent, BstrView(bstrTemplate), report, &xml);
    TakeReport(report);
    if (FAILED(hr)) return hr;
    if (!xml) return E_FAIL;
    return LoadIntoDocument(*xml, ppXMLDoc);
  });
}

HRESULT XH2XConverter::convertUsingProfile(IDispatch* pPage, BSTR bstrTemplate, IDispatch* pProfile,
                                           BSTR bstrTarget, IXMLDOMDocument** ppXMLDoc) {
  return Guarded([&]() -> HRESULT {
    // Any argument missing: no tree, nothing returned, and that is not a failure.
    if (!pPage || !bstrTemplate || !pProfile || !bstrTarget || !ppXMLDoc) return S_OK;
    std::optional<std::u16string> xml;
    HRESULT hr = engine_->RecognizeWithProfile(context_, pPage, BstrView(bstrTemplate), pProfile,
                                               BstrView(bstrTarget), &xml);
    if (FAILED(hr)) return hr;
    if (!xml) return S_OK;
    return LoadIntoDocument(*xml, ppXMLDoc);
  });
}

HRESULT XH2XConverter::SynchronizeText(IDispatch* page, std::u16string_view text, bool warnings) {
  ComPtr<IDispatch> holder(page);
  if (!page || !holder.As<HostPageDocument>()) return E_POINTER;
  StageReport report;
  HRESULT hr;
  if (text.substr(0, kSyncMarker.size()) == kSyncMarker) {
    hr = engine_->Synchronize(context_, page, text.substr(kSyncMarker.size()), true, warnings,
                              report);
  } else {
    hr = engine_->Synchronize(context_, page, text, false, warnings, report);
  }
  TakeReport(report);
  return FAILED(hr) ? hr : S_OK;
}

HRESULT XH2XConverter::parse(BSTR bstrText, IDispatch* pPage, VARIANT_BOOL produceWarnings) {
  ReentrancyGuard guard;
  if (!guard.Entered()) return S_FALSE;
  return Guarded([&]() -> HRESULT {
    return SynchronizeText(pPage, BstrView(bstrText), produceWarnings != VARIANT_FALSE);
  });
}

HRESULT XH2XConverter::forwardTransformationWithDOM(IDispatch* pPage, BSTR bstrTemplate,
                                                    IXMLDOMDocument** ppXMLDoc) {
  ReentrancyGuard guard;
  if (!guard.Entered()) return S_FALSE;
  return Guarded([&]() -> HRESULT {
    if (!pPage || !bstrTemplate || !ppXMLDoc) return E_INVALIDARG;
    std::u16string_view text = BstrView(bstrTemplate);
    StageReport report;
    std::u16string xml;
    HRESULT hr = engine_->RunPipeline(context_, pPage, text, FlagAbortOutOfSync, report, &xml);
    TakeReport(report);
    if (hr == E_ABORT) {
      // Out of sync with the host's page model: bring the model in line, then convert again,
      // asking the user before giving up.
      SynchronizeText(pPage, text, true);
      StageReport retry;
      xml.clear();
      hr = engine_->RunPipeline(context_, pPage, text,
                                FlagAbortOutOfSync | FlagAskUser | FlagWarnings, retry, &xml);
      TakeReport(retry);
    }
    if (FAILED(hr)) return hr;
    return LoadIntoDocument(xml, ppXMLDoc);
  });
}

HRESULT XH2XConverter::convertForGeneration(IDispatch* pPage, BSTR bstrTemplate, BSTR* pbstrXML) {
  return Guarded([&]() -> HRESULT {
    if (!pPage || !bstrTemplate || !pbstrXML) return E_INVALIDARG;
    StageReport report;
    std::u16string xml;
    HRESULT hr =
        engine_->RunPipeline(context_, pPage, BstrView(bstrTemplate), FlagGeneration, report, &xml);
    TakeReport(report);
    if (FAILED(hr)) return hr;
    *pbstrXML = AllocBstr(xml);
    return hr;
  });
}

HRESULT XH2XConverter::convertForGeneration2(IDispatch* pPage, BSTR bstrTemplate, LONG iCursorPos,
                                             BSTR* pbstrXML, BSTR* pbstrStructure) {
  return Guarded([&]() -> HRESULT {
    context_.cursor_position = iCursorPos;
    if (!pPage || !bstrTemplate || !pbstrXML) return E_INVALIDARG;
    StageReport report;
    std::u16string xml;
    HRESULT hr = engine_->RunPipeline(context_, pPage, BstrView(bstrTemplate),
                                      FlagGeneration | FlagStructure, report, &xml);
    TakeReport(report);
    if (pbstrStructure) {
      *pbstrStructure = structure_text_ ? AllocBstr(*structure_text_) : nullptr;
    }
    if (FAILED(hr)) return hr;
    *pbstrXML = AllocBstr(xml);
    return hr;
  });
}

HRESULT XH2XConverter::convertForPreview(IDispatch* pPage, BSTR htmlIn, BSTR* htmlOut) {
  return Guarded([&]() -> HRESULT {
    if (!pPage || !htmlIn) return E_INVALIDARG;
    if (!htmlOut) return E_POINTER;
    std::u16string out;
    HRESULT hr = engine_->PrePatch(context_, pPage, BstrView(htmlIn), 1, &out);
    if (FAILED(hr)) return hr;
    *htmlOut = AllocBstr(out);
    return S_OK;
  });
}

}  // namespace kpx
