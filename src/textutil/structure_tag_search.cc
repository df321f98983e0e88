// Eight characters at a time: a "<" in one of them is common, one followed by these letters is
// not.
#include "textutil/structure_tag_search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/cpu_features.h"
#if defined(KPX_HAVE_AVX2)
#include <immintrin.h>
#endif

namespace kpx {

namespace {

char16_t Folded(char16_t c) {
  return static_cast<char16_t>(c | 0x20);  // only "A"-"Z" land on "a"-"z"
}

bool StartsName(char16_t first, char16_t second) {
  const char16_t a = Folded(first);
  const char16_t b = Folded(second);
  return (a == u'h' && b == u'e') || (a == u'b' && b == u'o') || (a == u'f' && b == u'r');
}

// text[at] is "<" and at least three characters follow it.
bool IsCandidate(std::u16string_view text, std::size_t at) {
  if (text[at + 1] == u'/') return StartsName(text[at + 2], text[at + 3]);
  return StartsName(text[at + 1], text[at + 2]);
}

#if defined(__SSE2__)
__m128i Load(const char16_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}
__m128i Eq(__m128i v, char16_t c) {
  return _mm_cmpeq_epi16(v, _mm_set1_epi16(static_cast<short>(c)));
}
__m128i Fold(__m128i v) {
  return _mm_or_si128(v, _mm_set1_epi16(0x20));
}
__m128i StartsName(__m128i first, __m128i second) {
  const __m128i a = Fold(first);
  const __m128i b = Fold(second);
  return _mm_or_si128(_mm_or_si128(_mm_and_si128(Eq(a, u'h'), Eq(b, u'e')),
                                   _mm_and_si128(Eq(a, u'b'), Eq(b, u'o'))),
                      _mm_and_si128(Eq(a, u'f'), Eq(b, u'r')));
}
#endif

#if defined(KPX_HAVE_AVX2)

KPX_TARGET_AVX2 __m256i Load256(const char16_t* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}
KPX_TARGET_AVX2 __m256i Eq(__m256i v, char16_t c) {
  return _mm256_cmpeq_epi16(v, _mm256_set1_epi16(static_cast<short>(c)));
}
KPX_TARGET_AVX2 __m256i StartsName(__m256i first, __m256i second) {
  const __m256i fold = _mm256_set1_epi16(0x20);
  const __m256i a = _mm256_or_si256(first, fold);
  const __m256i b = _mm256_or_si256(second, fold);
  return _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(Eq(a, u'h'), Eq(b, u'e')),
                                         _mm256_and_si256(Eq(a, u'b'), Eq(b, u'o'))),
                         _mm256_and_si256(Eq(a, u'f'), Eq(b, u'r')));
}

// Sixteen characters at a time while the lanes' reads stay in the text; *next is where it
// stopped looking.
KPX_TARGET_AVX2 std::size_t FindAvx2(const char16_t* data, std::size_t size, std::size_t* next) {
  std::size_t i = *next;
  for (; i + 19 <= size; i += 16) {
    const __m256i lt = Eq(Load256(data + i), u'<');
    if (_mm256_testz_si256(lt, lt)) continue;
    const __m256i v1 = Load256(data + i + 1);
    const __m256i v2 = Load256(data + i + 2);
    const __m256i v3 = Load256(data + i + 3);
    const __m256i hit = _mm256_and_si256(
        lt,
        _mm256_or_si256(StartsName(v1, v2), _mm256_and_si256(Eq(v1, u'/'), StartsName(v2, v3))));
    const auto bits = static_cast<unsigned>(_mm256_movemask_epi8(hit));
    if (bits != 0) return i + static_cast<unsigned>(__builtin_ctz(bits)) / 2;
  }
  *next = i;
  return std::u16string_view::npos;
}

const bool kAvx2 = SimdLevelUsable(SimdLevel::kAvx2);
#endif

}  // namespace

std::size_t FindStructureTagCandidate(std::u16string_view text, std::size_t from) noexcept {
  const std::size_t size = text.size();
  if (size < 3) return std::u16string_view::npos;
  const char16_t* data = text.data();
  std::size_t i = from;
#if defined(KPX_HAVE_AVX2)
  if (kAvx2) {
    const std::size_t found = FindAvx2(data, size, &i);
    if (found != std::u16string_view::npos) return found;
  }
#endif
#if defined(__SSE2__)
  // Each lane reads three characters past its own: blocks end where that stays in the text.
  for (; i + 11 <= size; i += 8) {
    const __m128i lt = Eq(Load(data + i), u'<');
    if (_mm_movemask_epi8(lt) == 0) continue;
    const __m128i v1 = Load(data + i + 1);
    const __m128i v2 = Load(data + i + 2);
    const __m128i v3 = Load(data + i + 3);
    const __m128i hit = _mm_and_si128(
        lt, _mm_or_si128(StartsName(v1, v2), _mm_and_si128(Eq(v1, u'/'), StartsName(v2, v3))));
    const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hit));
    if (bits != 0) return i + static_cast<unsigned>(__builtin_ctz(bits)) / 2;
  }
#endif
  for (; i + 3 <= size; ++i) {
    if (data[i] == u'<' &&
        (i + 3 < size ? IsCandidate(text, i) : StartsName(data[i + 1], data[i + 2]))) {
      return i;
    }
  }
  return std::u16string_view::npos;
}

}  // namespace kpx
