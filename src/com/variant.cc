// Variants: clearing, copying and the conversions that automation callers rely on.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "kpx/com.h"

#include "base/ascii_case.h"
#include "base/status.h"

namespace {

constexpr USHORT kAlphaBool = 0x2;  // VARIANT_ALPHABOOL: "True"/"False" instead of "-1"/"0"

bool IsKnownType(VARTYPE vt) {
  switch (vt & ~VT_BYREF) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R8:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_VARIANT:
    case VT_UNKNOWN:
    case VT_UI4:
    case VT_INT:
      return true;
    default:
      return false;
  }
}

// A by-reference variant read as the value it points to (VT_VARIANT references followed).
HRESULT Dereference(const VARIANT* src, VARIANT* out) {
  *out = *src;
  if (!(src->vt & VT_BYREF)) return S_OK;
  if (!src->byref) return E_INVALIDARG;
  VARTYPE base = static_cast<VARTYPE>(src->vt & ~VT_BYREF);
  out->vt = base;
  switch (base) {
    case VT_I2:
      out->iVal = *src->piVal;
      return S_OK;
    case VT_I4:
    case VT_INT:
    case VT_ERROR:
      out->lVal = *src->plVal;
      return S_OK;
    case VT_UI4:
      out->ulVal = *reinterpret_cast<ULONG*>(src->byref);
      return S_OK;
    case VT_BOOL:
      out->boolVal = *src->pboolVal;
      return S_OK;
    case VT_R8:
      out->dblVal = *src->pdblVal;
      return S_OK;
    case VT_BSTR:
      out->bstrVal = *src->pbstrVal;
      return S_OK;
    case VT_DISPATCH:
      out->pdispVal = *src->ppdispVal;
      return S_OK;
    case VT_UNKNOWN:
      out->punkVal = *src->ppunkVal;
      return S_OK;
    case VT_VARIANT:
      return Dereference(src->pvarVal, out);
    default:
      return DISP_E_BADVARTYPE;
  }
}

// Reads a number from text as automation does for the common forms: optional blanks, sign,
// digits with an optional fraction and exponent, optional blanks. No hex, no locale.
HRESULT ParseNumber(BSTR text, double* value) {
  UINT length = SysStringLen(text);
  std::string narrow;
  narrow.reserve(length);
  for (UINT i = 0; i < length; ++i) {
    OLECHAR c = text[i];
    if (c >= 0x80 || c == 0) return DISP_E_TYPEMISMATCH;
    narrow.push_back(static_cast<char>(c));
  }
  size_t begin = narrow.find_first_not_of(" \t\r\n");
  size_t end = narrow.find_last_not_of(" \t\r\n");
  if (begin == std::string::npos) return DISP_E_TYPEMISMATCH;
  std::string_view core(narrow.data() + begin, end - begin + 1);
  for (char c : core) {
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' ||
          c == 'e' || c == 'E')) {
      return DISP_E_TYPEMISMATCH;
    }
  }
  // from_chars takes no plus sign of its own.
  if (core.size() > 1 && core[0] == '+' && core[1] != '-' && core[1] != '+') core.remove_prefix(1);
  double d = 0;
  const auto [stop, error] = std::from_chars(core.data(), core.data() + core.size(), d);
  if (error == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
  if (error != std::errc() || stop != core.data() + core.size()) return DISP_E_TYPEMISMATCH;
  if (!std::isfinite(d)) return DISP_E_OVERFLOW;
  *value = d;
  return S_OK;
}

bool EqualsIgnoringCase(BSTR text, const char* word) {
  UINT length = SysStringLen(text);
  if (length != std::strlen(word)) return false;
  for (UINT i = 0; i < length; ++i) {
    if (kpx::AsciiToLower(text[i]) != static_cast<unsigned char>(word[i])) return false;
  }
  return true;
}

// The value of a non-reference variant as a double; how automation reads numbers and booleans.
HRESULT ToDouble(const VARIANT& v, double* out) {
  switch (v.vt) {
    case VT_EMPTY:
      *out = 0;
      return S_OK;
    case VT_I2:
      *out = v.iVal;
      return S_OK;
    case VT_I4:
    case VT_INT:
      *out = v.lVal;
      return S_OK;
    case VT_UI4:
      *out = v.ulVal;
      return S_OK;
    case VT_BOOL:
      *out = v.boolVal ? -1 : 0;
      return S_OK;
    case VT_R8:
      *out = v.dblVal;
      return S_OK;
    case VT_BSTR:
      return ParseNumber(v.bstrVal, out);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

// Banker's rounding, as automation rounds a fraction to an integer.
HRESULT ToInteger(double d, double low, double high, double* out) {
  double r = std::nearbyint(d);  // default rounding mode: to nearest, ties to even
  if (!(r >= low && r <= high)) return DISP_E_OVERFLOW;
  *out = r;
  return S_OK;
}

BSTR NewString(std::string_view ascii) {
  BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(ascii.size()));
  if (text) std::copy(ascii.begin(), ascii.end(), text);
  return text;
}

// Numbers as text, whatever the process locale: an integer in full, a double as %.15g writes
// it under "C" ("1.5", "1e+20").
template <class Integer>
BSTR IntegerString(Integer value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return NewString(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

BSTR DoubleString(double value) {
  char buffer[32];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return NewString(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

HRESULT ToBstr(const VARIANT& v, USHORT flags, BSTR* out) {
  switch (v.vt) {
    case VT_EMPTY:
      *out = SysAllocStringLen(nullptr, 0);
      break;
    case VT_BSTR:
      *out = SysAllocStringLen(v.bstrVal, SysStringLen(v.bstrVal));
      break;
    case VT_I2:
      *out = IntegerString(v.iVal);
      break;
    case VT_I4:
    case VT_INT:
      *out = IntegerString(v.lVal);
      break;
    case VT_UI4:
      *out = IntegerString(v.ulVal);
      break;
    case VT_BOOL:
      if (flags & kAlphaBool) {
        *out = NewString(v.boolVal ? "True" : "False");
      } else {
        *out = NewString(v.boolVal ? "-1" : "0");
      }
      break;
    case VT_R8:
      *out = DoubleString(v.dblVal);
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt) {
  if (!dest || !src) return E_INVALIDARG;
  if (!IsKnownType(src->vt)) return DISP_E_BADVARTYPE;
  VARIANT value;
  HRESULT hr = Dereference(src, &value);
  if (FAILED(hr)) return hr;

  VARIANT result;
  VariantInit(&result);
  if (value.vt == vt) {
    hr = VariantCopy(&result, &value);
    if (FAILED(hr)) return hr;
  } else {
    double d = 0;
    switch (vt) {
      case VT_I4:
      case VT_I2: {
        hr = ToDouble(value, &d);
        if (FAILED(hr)) return hr;
        double low = vt == VT_I4 ? std::numeric_limits<int32_t>::min() : -32768.0;
        double high = vt == VT_I4 ? std::numeric_limits<int32_t>::max() : 32767.0;
        hr = ToInteger(d, low, high, &d);
        if (FAILED(hr)) return hr;
        result.vt = vt;
        if (vt == VT_I4) {
          result.lVal = static_cast<LONG>(d);
        } else {
          result.iVal = static_cast<SHORT>(d);
        }
        break;
      }
      case VT_R8:
        hr = ToDouble(value, &d);
        if (FAILED(hr)) return hr;
        result.vt = VT_R8;
        result.dblVal = d;
        break;
      case VT_BOOL:
        if (value.vt == VT_BSTR && EqualsIgnoringCase(value.bstrVal, "true")) {
          d = -1;
        } else if (value.vt == VT_BSTR && EqualsIgnoringCase(value.bstrVal, "false")) {
          d = 0;
        } else {
          hr = ToDouble(value, &d);
          if (FAILED(hr)) return hr;
        }
        result.vt = VT_BOOL;
        result.boolVal = d != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case VT_BSTR:
        hr = ToBstr(value, flags, &result.bstrVal);
        if (FAILED(hr)) return hr;
        result.vt = VT_BSTR;
        break;
      default:
        return DISP_E_BADVARTYPE;
    }
  }
  // dest may be src: the result is complete before dest is cleared.
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *dest = result;
  return S_OK;
}

}  // namespace

extern "C" {

KPX_API void VariantInit(VARIANT* v) noexcept {
  if (!v) return;
  std::memset(v, 0, sizeof *v);
  v->vt = VT_EMPTY;
}

KPX_API HRESULT VariantClear(VARIANT* v) noexcept {
  if (!v) return E_INVALIDARG;
  if (!IsKnownType(v->vt)) return DISP_E_BADVARTYPE;
  switch (v->vt) {
    case VT_BSTR:
      SysFreeString(v->bstrVal);
      break;
    case VT_DISPATCH:
      if (v->pdispVal) v->pdispVal->Release();
      break;
    case VT_UNKNOWN:
      if (v->punkVal) v->punkVal->Release();
      break;
    default:
      break;
  }
  VariantInit(v);
  return S_OK;
}

KPX_API HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) noexcept {
  if (!dest || !src) return E_INVALIDARG;
  if (!IsKnownType(src->vt)) return DISP_E_BADVARTYPE;
  if (dest == src) return S_OK;
  VARIANT copy = *src;
  if (src->vt == VT_BSTR && src->bstrVal) {
    copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
    if (!copy.bstrVal) return E_OUTOFMEMORY;
  } else if (src->vt == VT_DISPATCH && src->pdispVal) {
    src->pdispVal->AddRef();
  } else if (src->vt == VT_UNKNOWN && src->punkVal) {
    src->punkVal->AddRef();
  }
  HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *dest = copy;
  return S_OK;
}

KPX_API HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags,
                                  VARTYPE vt) noexcept {
  return kpx::Guarded([&] { return ChangeType(dest, src, flags, vt); });
}

}  // extern "C"
