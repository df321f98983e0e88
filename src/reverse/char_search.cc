// One code unit, found eight at a time.
#include "reverse/char_search.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kpx {

std::size_t FindUnit(const char16_t* data, std::size_t from, std::size_t to, char16_t c) noexcept {
#ifdef __SSE2__
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(c));
  for (; from + 8 <= to; from += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
    const int bits = _mm_movemask_epi8(_mm_cmpeq_epi16(v, wanted));
    if (bits != 0) {
      return from + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(bits))) / 2;
    }
  }
#endif
  for (; from < to; ++from) {
    if (data[from] == c) return from;
  }
  return to;
}

}  // namespace kpx
