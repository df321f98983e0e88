// The fixture formatter (class CLSID_HostFormatter, registered with the class table) and the
// context object that a page hands to it. The formatter learns the host's answers from the
// context, so that no process-wide pointer to a host is needed.
#include "com/com_object.h"
#include "x2x/fixture_objects.h"

namespace x2x {

namespace {

KPX_INTERFACES_BEGIN

// x2x's own interface on the formatter context: the host state behind it.
struct FixtureFormatterSource : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0x3F0C6E2A, 0x5B1D, 0x4C87, {0x9A, 0x41, 0x0D, 0x7E, 0x21, 0x6B, 0x93, 0xC5}};
  virtual std::shared_ptr<HostState> State() = 0;
};

KPX_INTERFACES_END

class FormatterContext final : public kpx::ComObject<FixtureFormatterSource> {
 public:
  explicit FormatterContext(std::shared_ptr<HostState> state) : state_(std::move(state)) {}
  std::shared_ptr<HostState> State() override { return state_; }

 private:
  std::shared_ptr<HostState> state_;
};

// Replaces an extent that the host file lists with its result; any other extent (and every
// extent before Initialize, or with a context from elsewhere) stays as it is.
class FixtureFormatter final : public kpx::DispatchObject<HostFormatter> {
 public:
  HRESULT Initialize(IUnknown* context) override {
    if (!context) return E_INVALIDARG;
    ComPtr<FixtureFormatterSource> source;
    if (SUCCEEDED(context->QueryInterface(FixtureFormatterSource::kIID, source.PutVoid())) &&
        source) {
      state_ = source->State();
    }
    return S_OK;
  }

  HRESULT Format(BSTR* html) override {
    if (!html) return E_POINTER;
    if (!state_) return S_OK;
    auto it = state_->data.formats.find(std::u16string(kpx::BstrView(*html)));
    if (it == state_->data.formats.end()) return S_OK;
    BSTR result = SysAllocStringLen(it->second.data(), static_cast<UINT>(it->second.size()));
    if (!result) return E_OUTOFMEMORY;
    SysFreeString(*html);
    *html = result;
    return S_OK;
  }

 private:
  std::shared_ptr<HostState> state_;
};

HRESULT CreateFixtureFormatter(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto formatter = MakeAs<HostFormatter, FixtureFormatter>();
  return formatter->QueryInterface(riid, ppv);
}

}  // namespace

ComPtr<IUnknown> MakeFormatterContext(const std::shared_ptr<HostState>& state) {
  return MakeAs<IUnknown, FormatterContext>(state);
}

void RegisterFixtureFormatter() {
  KpxRegisterClass(CLSID_HostFormatter, &CreateFixtureFormatter);
}

}  // namespace x2x
