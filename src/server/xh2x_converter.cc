// The converter object: its state, the frame shared by the operations, and the operations that
// only bind the host or read the state.
#include "server/xh2x_converter.h"

#include "forward/forward_engine.h"

#include <cstdint>
#include <new>

#include "base/stage_timer.h"
#include "base/status.h"
#include "com/bstr.h"
#include "server/registration.h"

namespace kpx {

namespace {

// The usual decimal conversion: leading white space, an optional sign, digits; anything else
// stops the number (no digits at all gives 0).
LONG DecimalValue(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > INT32_MAX) value = int64_t{INT32_MAX} + 1;  // saturate; clamped below
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<LONG>(value);
}

}  // namespace

XH2XConverter::XH2XConverter(std::unique_ptr<ConversionEngine> engine)
    : engine_(engine ? std::move(engine) : std::make_unique<ForwardEngine>()) {
  // Operations create the library's own classes (ComponentIDs) through CoCreateInstance.
  EnsureServerClassesRegistered();
  context_.forward_diagnostics = &forward_sink_;
  context_.tools = &pipeline_tools_;
}

HRESULT CreateXH2XConverter(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return Guarded([&] {
    ComPtr<XH2XConverter> object = MakeCom<XH2XConverter>();
    return object->QueryInterface(riid, ppv);
  });
}

void XH2XConverter::TakeReport(StageReport& report) {
  if (report.recognition_ran) {
    if (report.errors.empty()) {
      error_text_.reset();
    } else {
      error_text_ = FormatParseErrors(report.errors);
    }
  }
  if (report.structure) structure_text_ = std::move(report.structure);
}

HRESULT XH2XConverter::ReadPageText(IDispatch* page, std::u16string* text) {
  ComPtr<IDispatch> holder(page);
  ComPtr<HostPageDocument> document = holder.As<HostPageDocument>();
  if (!document) return E_FAIL;
  Bstr content;
  if (document->GetText(0, content.Put()) < 0) return E_FAIL;
  *text = content.Str();
  return S_OK;
}

HRESULT XH2XConverter::LoadIntoDocument(std::u16string_view xml, IXMLDOMDocument** out) {
  StageTimer timer("!xml");
  ComPtr<IXMLDOMDocument> document;
  HRESULT hr = CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                                document.PutVoid());
  if (FAILED(hr)) return hr;
  if (!document) return E_FAIL;
  Bstr text(xml);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  hr = document->loadXML(text.Get(), &loaded);
  if (hr != S_OK || loaded == VARIANT_FALSE) return E_FAIL;
  *out = document.Detach();
  return S_OK;
}

HRESULT XH2XConverter::initialize(IDispatch* pApplication) {
  return Guarded([&]() -> HRESULT {
    if (application_) return S_FALSE;
    if (!pApplication) return E_INVALIDARG;
    ComPtr<IDispatch> holder(pApplication);
    ComPtr<HostApplication> application = holder.As<HostApplication>();
    if (!application) return E_FAIL;
    application_ = application;
    context_.application = application_.Get();
    std::optional<std::u16string> level =
        context_.Host().ReadOption(kSectionFormatting, u"ConverterVerbosityLevel");
    if (level) context_.verbosity_level = DecimalValue(*level);
    return S_OK;
  });
}

HRESULT XH2XConverter::setPublishMode(VARIANT_BOOL bPublishMode) {
  context_.publish_mode = bPublishMode;
  return S_OK;
}

HRESULT XH2XConverter::getErrors(BSTR* pbstrErrors) {
  return Guarded([&]() -> HRESULT {
    if (!pbstrErrors) return E_INVALIDARG;
    *pbstrErrors = nullptr;
    if (!error_text_) return S_FALSE;
    *pbstrErrors = AllocBstr(*error_text_);
    return S_OK;
  });
}

}  // namespace kpx
