// The message-window bridge.
#include "server/message_window_bridge.h"

#include "kpx/host.h"
#include "platform/bstr.h"
#include "platform/host_services.h"
#include "platform/status.h"

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
