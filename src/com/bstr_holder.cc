// Bstr holder and allocation helpers.
#include <cstddef>
#include <new>

#include "com/bstr.h"

namespace kpx {

namespace {
// Lengths are stored in 32 bits as byte counts.
constexpr size_t kMaxBstrLength = 0x7FFFFFF0u / sizeof(OLECHAR);
}  // namespace

Bstr::Bstr(std::u16string_view text) : s_(AllocBstr(text)) {}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
  if (this != &other) {
    SysFreeString(s_);
    s_ = other.s_;
    other.s_ = nullptr;
  }
  return *this;
}

BSTR* Bstr::Put() {
  SysFreeString(s_);
  s_ = nullptr;
  return &s_;
}

BSTR Bstr::Detach() {
  BSTR s = s_;
  s_ = nullptr;
  return s;
}

BSTR AllocBstr(std::u16string_view text) {
  if (text.size() > kMaxBstrLength) throw std::bad_alloc();
  BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!s) throw std::bad_alloc();
  return s;
}

}  // namespace kpx
