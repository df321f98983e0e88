// The message-window bridge.
#include "server/message_window_bridge.h"

#include "base/status.h"
#include "com/bstr.h"
#include "host/host_services.h"
#include "kpx/host.h"

namespace kpx {

HRESULT MessageWindowBridge::SetApplication(IDispatch* application) {
  application_ = ComPtr<IDispatch>(application);
  return S_OK;
}

HRESULT MessageWindowBridge::AddMessage(LONG kind, BSTR text) {
  return Guarded([&]() -> HRESULT {
    ComPtr<HostApplication> host = application_.As<HostApplication>();
    HostServices(host.Get()).DeliverMessage(kind, BstrView(text));
    return S_OK;
  });
}

HRESULT MessageWindowBridge::GetApplication(IDispatch** application) {
  return CopyOut(application_.Get(), application);
}

}  // namespace kpx
