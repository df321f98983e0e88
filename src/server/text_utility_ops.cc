// The whole-page text utilities as the converter offers them: argument checks, the converter's
// edit list and publish mode, and the statuses each one reports.
#include "base/status.h"
#include "com/bstr.h"
#include "server/xh2x_converter.h"
#include "textutil/doctype_operations.h"
#include "textutil/head_body_balancing.h"
#include "textutil/meta_insertion.h"
#include "textutil/path_resolution.h"
#include "textutil/xhtml_conversion.h"

namespace kpx {

namespace {

// Releases the text an out argument already holds, before the operation fills it.
void ReleaseOut(BSTR* out) {
  SysFreeString(*out);
  *out = nullptr;
}

}  // namespace

HRESULT XH2XConverter::makeExtensible(BSTR html, BSTR* xhtml) {
  return Guarded([&]() -> HRESULT {
    if (SysStringLen(html) == 0) return E_INVALIDARG;  // absent or empty
    if (!xhtml) return S_OK;
    ReleaseOut(xhtml);
    *xhtml = AllocBstr(ConvertToXhtml(working_text_, BstrView(html), context_.publish_mode));
    return S_FALSE;  // the normal result
  });
}

HRESULT XH2XConverter::insertMETA(BSTR html, BSTR meta, BSTR* result) {
  return Guarded([&]() -> HRESULT {
    if (!html || !meta) return E_INVALIDARG;
    if (!result) return E_POINTER;
    ReleaseOut(result);
    *result = AllocBstr(InsertMeta(working_text_, BstrView(html), BstrView(meta)));
    return S_OK;
  });
}

HRESULT XH2XConverter::resolvePaths(BSTR htmlIn, BSTR path, BSTR* htmlOut) {
  return Guarded([&]() -> HRESULT {
    if (!htmlOut) return E_INVALIDARG;
    if (!htmlIn || !path) return S_FALSE;
    ReleaseOut(htmlOut);
    *htmlOut = AllocBstr(ResolvePaths(BstrView(htmlIn), BstrView(path)));
    return S_OK;
  });
}

HRESULT XH2XConverter::prepareDoctypeForSection508(BSTR html, BSTR* result) {
  return Guarded([&]() -> HRESULT {
    if (!html || !result) return S_OK;
    ReleaseOut(result);
    *result = AllocBstr(PrepareDoctypeForSection508(working_text_, BstrView(html)));
    return S_FALSE;  // the normal result
  });
}

HRESULT XH2XConverter::balance(BSTR html, BSTR* result) {
  return Guarded([&]() -> HRESULT {
    if (!html || !result) return S_OK;
    ReleaseOut(result);
    *result = AllocBstr(BalanceHeadAndBody(working_text_, BstrView(html)));
    return S_FALSE;  // the normal result
  });
}

HRESULT XH2XConverter::maskDoctype(BSTR html, BSTR* result) {
  return Guarded([&]() -> HRESULT {
    if (!html || !result) return E_INVALIDARG;
    ReleaseOut(result);
    *result = AllocBstr(MaskDoctype(working_text_, BstrView(html)));
    return S_OK;
  });
}

HRESULT XH2XConverter::unmaskDoctype(BSTR html, BSTR* result) {
  return Guarded([&]() -> HRESULT {
    if (!html || !result) return E_INVALIDARG;
    ReleaseOut(result);
    *result = AllocBstr(UnmaskDoctype(working_text_, BstrView(html)));
    return S_OK;
  });
}

HRESULT XH2XConverter::moveBodyTags(BSTR html, BSTR* result) {
  return Guarded([&]() -> HRESULT {
    if (!html || !result) return S_OK;
    ReleaseOut(result);
    *result = AllocBstr(MoveBodyTags(working_text_, BstrView(html)));
    return S_FALSE;  // the normal result
  });
}

}  // namespace kpx
