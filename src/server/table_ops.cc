// Table editing on the editor's live document. Not built yet: answers E_NOTIMPL until it lands.
#include "server/xh2x_converter.h"

namespace kpx {

HRESULT XH2XConverter::performTableOperation(IDispatch*, enumTableOperation) { return E_NOTIMPL; }
HRESULT XH2XConverter::performTableOperationEx(IDispatch*, enumTableOperationEx, VARIANT, VARIANT,
                                               VARIANT*) {
  return E_NOTIMPL;
}

}  // namespace kpx
