// Small helpers for the objects of the HTML document stand-in: handing out strings and objects
// through out parameters.
#pragma once

#include <string_view>

#include "base/status.h"
#include "com/bstr.h"
#include "kpx/com.h"

namespace kpx::html {

// A new BSTR with text in *out (E_POINTER for a null slot).
inline HRESULT OutText(std::u16string_view text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Guarded([&] {
    *out = AllocBstr(text);
    return S_OK;
  });
}

// Hands the object to *out: S_OK, or S_FALSE and null when there is none.
template <class I>
HRESULT OutObject(ComPtr<I> object, I** out) {
  if (!out) return E_POINTER;
  *out = object.Detach();
  return *out ? S_OK : S_FALSE;
}

// The same for an IDispatch slot.
template <class I>
HRESULT OutDispatch(ComPtr<I> object, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = object ? static_cast<IDispatch*>(object.Detach()) : nullptr;
  return *out ? S_OK : S_FALSE;
}

}  // namespace kpx::html
