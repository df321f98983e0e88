// The "C" locale for the calling thread while a C library formats or reads numbers.
//
// libxml2 writes XPath numbers through the thread's LC_NUMERIC ("1,5" under a comma-decimal
// locale), and a host may set any locale. While a ScopedClassicLocale lives, its thread runs
// under "C"; the destructor puts back what the thread had. Other threads are not affected.
#pragma once

#include <locale.h>

namespace kpx {

class ScopedClassicLocale {
 public:
  ScopedClassicLocale() noexcept;
  ~ScopedClassicLocale();
  ScopedClassicLocale(const ScopedClassicLocale&) = delete;
  ScopedClassicLocale& operator=(const ScopedClassicLocale&) = delete;

 private:
  locale_t previous_ = nullptr;  // null when the switch could not be made
};

}  // namespace kpx
