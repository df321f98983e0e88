// Asking the processor what it runs.
#include "base/cpu_features.h"

namespace kpx {

bool SimdLevelUsable(SimdLevel level) noexcept {
  switch (level) {
    case SimdLevel::kScalar:
      return true;
    case SimdLevel::kSse2:
#if defined(__SSE2__)
      return true;
#else
      return false;
#endif
    case SimdLevel::kAvx2: {
#if defined(KPX_HAVE_AVX2)
      static const bool avx2 = [] {
        __builtin_cpu_init();  // in case this runs before the library's own constructors
        return __builtin_cpu_supports("avx2") != 0;
      }();
      return avx2;
#else
      return false;
#endif
    }
  }
  return false;
}

SimdLevel BestSimdLevel() noexcept {
  static const SimdLevel best = SimdLevelUsable(SimdLevel::kAvx2)   ? SimdLevel::kAvx2
                                : SimdLevelUsable(SimdLevel::kSse2) ? SimdLevel::kSse2
                                                                    : SimdLevel::kScalar;
  return best;
}

}  // namespace kpx
