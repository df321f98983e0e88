// The vector widths the code-unit searches choose from at run time: the build's baseline (SSE2 on
// x86-64, nothing elsewhere) and AVX2 where the processor has it. Asked of the processor once.
#pragma once

namespace kpx {

enum class SimdLevel : unsigned char {
  kScalar,  // one unit at a time
  kSse2,    // 8 units
  kAvx2,    // 16 units
};

// Whether this build has the level's code and the processor runs it.
bool SimdLevelUsable(SimdLevel level) noexcept;

// The widest usable level.
SimdLevel BestSimdLevel() noexcept;

}  // namespace kpx

// Functions written for AVX2 carry KPX_TARGET_AVX2 and are called only where
// SimdLevelUsable(SimdLevel::kAvx2); KPX_HAVE_AVX2 says whether the build has them.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KPX_HAVE_AVX2 1
#define KPX_TARGET_AVX2 __attribute__((target("avx2")))
#endif
