// RAII holder for a system string, and conversions between BSTRs and std::u16string.
#pragma once

#include <string>
#include <string_view>

#include "kpx/com.h"

namespace kpx {

// Owns one BSTR and frees it on every way out. A null BSTR reads as the empty string.
class Bstr {
 public:
  Bstr() = default;
  // Allocates a copy; throws std::bad_alloc when the system string cannot be made.
  explicit Bstr(std::u16string_view text);
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : s_(other.s_) { other.s_ = nullptr; }
  Bstr& operator=(Bstr&& other) noexcept;
  ~Bstr() { SysFreeString(s_); }

  // Takes over a string that the caller owns (an out parameter's result).
  static Bstr Adopt(BSTR s) {
    Bstr b;
    b.s_ = s;
    return b;
  }

  BSTR Get() const { return s_; }
  BSTR* Put();    // frees what is held and returns the slot, for out parameters
  BSTR Detach();  // gives up ownership
  bool IsNull() const { return s_ == nullptr; }
  std::u16string_view View() const { return {s_ ? s_ : u"", SysStringLen(s_)}; }
  std::u16string Str() const { return std::u16string(View()); }

 private:
  BSTR s_ = nullptr;
};

// The text of a BSTR (null is empty); the length is the stored length, not the first zero.
inline std::u16string_view BstrView(BSTR s) {
  return {s ? s : u"", SysStringLen(s)};
}

// A new BSTR holding the text; throws std::bad_alloc on failure.
BSTR AllocBstr(std::u16string_view text);

// A new BSTR of length code units for the caller to write (they hold nothing in particular until
// then), asking for huge pages from huge_page_minimum bytes on (see base/large_buffers.h); throws
// std::bad_alloc on failure.
BSTR AllocBstrToFill(size_t length, size_t huge_page_minimum);

}  // namespace kpx
