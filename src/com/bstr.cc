// System strings: a 32-bit byte count, the UTF-16 code units, and a terminating zero. The BSTR
// points at the first code unit, so it reads as an ordinary zero-terminated string too.
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/large_buffers.h"
#include "com/bstr.h"
#include "kpx/com.h"

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
constexpr UINT kMaxLength = (0x7FFFFFF0u - kPrefix) / sizeof(OLECHAR) - 1;

uint32_t* PrefixOf(BSTR s) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(s) - kPrefix);
}

BSTR Allocate(UINT length, size_t huge_page_minimum = kpx::kHugePageWorthyBytes) {
  if (length > kMaxLength) return nullptr;
  size_t bytes = kPrefix + (static_cast<size_t>(length) + 1) * sizeof(OLECHAR);
  void* block = std::malloc(bytes);
  if (!block) return nullptr;
  kpx::PreferHugePages(block, bytes, huge_page_minimum);  // before anything is written into it
  *static_cast<uint32_t*>(block) = length * static_cast<uint32_t>(sizeof(OLECHAR));
  BSTR s = reinterpret_cast<BSTR>(static_cast<char*>(block) + kPrefix);
  s[length] = 0;
  return s;
}

}  // namespace

extern "C" {

KPX_API BSTR SysAllocStringLen(const OLECHAR* text, UINT length) noexcept {
  BSTR s = Allocate(length);
  if (!s) return nullptr;
  if (text) {
    std::memcpy(s, text, length * sizeof(OLECHAR));
  } else {
    std::memset(s, 0, length * sizeof(OLECHAR));
  }
  return s;
}

KPX_API BSTR SysAllocString(const OLECHAR* text) noexcept {
  if (!text) return nullptr;
  size_t length = 0;
  while (text[length] != 0) ++length;
  if (length > kMaxLength) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(length));
}

KPX_API void SysFreeString(BSTR text) noexcept {
  if (text) std::free(PrefixOf(text));
}

KPX_API UINT SysStringLen(BSTR text) noexcept {
  return text ? *PrefixOf(text) / static_cast<UINT>(sizeof(OLECHAR)) : 0;
}

KPX_API int32_t SysReAllocStringLen(BSTR* text, const OLECHAR* from, UINT length) noexcept {
  if (!text) return 0;
  BSTR fresh = SysAllocStringLen(from, length);
  if (!fresh) return 0;
  SysFreeString(*text);
  *text = fresh;
  return 1;
}

}  // extern "C"

namespace kpx {

BSTR AllocBstrToFill(size_t length, size_t huge_page_minimum) {
  BSTR s = length <= kMaxLength ? Allocate(static_cast<UINT>(length), huge_page_minimum) : nullptr;
  if (!s) throw std::bad_alloc();
  return s;
}

}  // namespace kpx
