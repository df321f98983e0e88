// The message-window bridge of performServiceXSLT: a small object that lets a running stylesheet
// put messages into the host's message window. Stylesheets reach it through extension functions
// bound to the running transform, never through a number that they could forge.
#pragma once

#include "com/com_object.h"
#include "kpx/com.h"

namespace kpx {

KPX_INTERFACES_BEGIN

struct IMessageWindowBridge : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x306FE99D, 0x89B7, 0x4905, {0xB0, 0x6A, 0xA0, 0x30, 0x3A, 0x0D, 0x6F, 0xA7}};
  virtual HRESULT SetApplication(IDispatch* application) = 0;   // 7: keeps a counted reference
  virtual HRESULT Reserved8() = 0;                              // 8: E_NOTIMPL
  virtual HRESULT Reserved9() = 0;                              // 9: E_NOTIMPL
  virtual HRESULT Reserved10() = 0;                             // 10: E_NOTIMPL
  virtual HRESULT AddMessage(LONG kind, BSTR text) = 0;         // 11: to the host message window
  virtual HRESULT GetApplication(IDispatch** application) = 0;  // 12
  virtual HRESULT Close() = 0;                                  // 13: does nothing
  virtual HRESULT Reserved14() = 0;                             // 14: E_NOTIMPL
  virtual HRESULT Reserved15() = 0;                             // 15: E_NOTIMPL
};

KPX_INTERFACES_END

class MessageWindowBridge final : public DispatchObject<IMessageWindowBridge> {
 public:
  HRESULT SetApplication(IDispatch* application) override;
  HRESULT Reserved8() override { return E_NOTIMPL; }
  HRESULT Reserved9() override { return E_NOTIMPL; }
  HRESULT Reserved10() override { return E_NOTIMPL; }
  HRESULT AddMessage(LONG kind, BSTR text) override;
  HRESULT GetApplication(IDispatch** application) override;
  HRESULT Close() override { return S_OK; }
  HRESULT Reserved14() override { return E_NOTIMPL; }
  HRESULT Reserved15() override { return E_NOTIMPL; }

 private:
  ~MessageWindowBridge() override = default;
  ComPtr<IDispatch> application_;
};

}  // namespace kpx
