#include "base/classic_locale.h"

namespace kpx {

namespace {

// One "C" locale object for the process, made on first use and kept (uselocale needs it alive).
locale_t ClassicLocale() noexcept {
  static const locale_t classic = newlocale(LC_ALL_MASK, "C", locale_t{});
  return classic;
}

}  // namespace

ScopedClassicLocale::ScopedClassicLocale() noexcept {
  if (const locale_t classic = ClassicLocale()) previous_ = uselocale(classic);
}

ScopedClassicLocale::~ScopedClassicLocale() {
  if (previous_) uselocale(previous_);
}

}  // namespace kpx
