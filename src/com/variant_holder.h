// A VARIANT that clears itself on every way out.
#pragma once

#include <string_view>
#include <utility>

#include "com/bstr.h"
#include "kpx/com.h"

namespace kpx {

class VariantHolder {
 public:
  VariantHolder() { VariantInit(&v_); }
  ~VariantHolder() { VariantClear(&v_); }
  VariantHolder(const VariantHolder&) = delete;
  VariantHolder& operator=(const VariantHolder&) = delete;

  // A VT_BSTR holding a copy of text.
  static VariantHolder Text(std::u16string_view text) {
    VariantHolder v;
    v.v_.vt = VT_BSTR;
    v.v_.bstrVal = AllocBstr(text);
    return v;
  }
  // A VT_I4.
  static VariantHolder Long(LONG value) {
    VariantHolder v;
    v.v_.vt = VT_I4;
    v.v_.lVal = value;
    return v;
  }

  VariantHolder(VariantHolder&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
  VariantHolder& operator=(VariantHolder&& other) noexcept {
    if (this != &other) {
      VariantClear(&v_);
      v_ = other.v_;
      VariantInit(&other.v_);
    }
    return *this;
  }

  VARIANT* Get() { return &v_; }
  const VARIANT& Ref() const { return v_; }
  VARIANT* operator->() { return &v_; }
  // Clears what is held and returns the empty VARIANT to be filled (for out parameters).
  VARIANT* Put() {
    VariantClear(&v_);
    return &v_;
  }
  // Gives up what is held without clearing it.
  VARIANT Release() {
    VARIANT out = v_;
    VariantInit(&v_);
    return out;
  }

 private:
  VARIANT v_;
};

}  // namespace kpx
