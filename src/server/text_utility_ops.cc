// The whole-page text utilities. Not built yet: each answers E_NOTIMPL until its work lands.
#include "server/xh2x_converter.h"

namespace kpx {

HRESULT XH2XConverter::makeExtensible(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::insertMETA(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::resolvePaths(BSTR, BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::prepareDoctypeForSection508(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::balance(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::maskDoctype(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::unmaskDoctype(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT XH2XConverter::moveBodyTags(BSTR, BSTR*) { return E_NOTIMPL; }

}  // namespace kpx
