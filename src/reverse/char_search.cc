// The CDATA search, with the widest vectors the processor has.
#include "reverse/char_search.h"

#include "reverse/cdata_text.h"

#if defined(KPX_HAVE_AVX2)
#include <immintrin.h>
#endif

namespace kpx {

namespace {

std::size_t FindCDataNotableScalar(const char16_t* data, std::size_t from,
                                   std::size_t to) noexcept {
  for (; from < to; ++from) {
    if (data[from] == u']' || NeedsXmlCheck(data[from])) return from;
  }
  return to;
}

#if defined(KPX_HAVE_AVX2)

// The offset of the first set pair of mask bits (two per unit), counted from base.
inline std::size_t FirstUnit(std::size_t base, unsigned bits) {
  return base + static_cast<std::size_t>(__builtin_ctz(bits)) / 2;
}

// "]", control characters but tab, line feed and carriage return, surrogate halves (a whole pair
// is checked by the caller), U+FFFE and U+FFFF.
std::size_t FindCDataNotableSse2(const char16_t* data, std::size_t from, std::size_t to) noexcept {
  const __m128i bracket = _mm_set1_epi16(u']');
  const __m128i controls = _mm_set1_epi16(0x1F);
  const __m128i tab = _mm_set1_epi16(0x9);
  const __m128i line_feed = _mm_set1_epi16(0xA);
  const __m128i carriage_return = _mm_set1_epi16(0xD);
  const __m128i surrogates = _mm_set1_epi16(static_cast<short>(0xD800));
  const __m128i surrogate_span = _mm_set1_epi16(0x7FF);
  const __m128i below_nonchars = _mm_set1_epi16(static_cast<short>(0xFFFD));
  const __m128i zero = _mm_setzero_si128();
  for (; from + 8 <= to; from += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
    const __m128i blank =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, tab), _mm_cmpeq_epi16(v, line_feed)),
                     _mm_cmpeq_epi16(v, carriage_return));
    const __m128i control =
        _mm_andnot_si128(blank, _mm_cmpeq_epi16(_mm_subs_epu16(v, controls), zero));
    const __m128i surrogate =
        _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, surrogates), surrogate_span), zero);
    // Above U+FFFD: what saturating subtraction leaves non-zero.
    const __m128i nonchar = _mm_cmpeq_epi16(_mm_subs_epu16(v, below_nonchars), zero);
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, bracket), control),
                     _mm_or_si128(surrogate, _mm_xor_si128(nonchar, _mm_cmpeq_epi16(zero, zero))));
    const int bits = _mm_movemask_epi8(hits);
    if (bits != 0) return FirstUnit(from, static_cast<unsigned>(bits));
  }
  return FindCDataNotableScalar(data, from, to);
}

KPX_TARGET_AVX2 std::size_t FindCDataNotableAvx2(const char16_t* data, std::size_t from,
                                                 std::size_t to) noexcept {
  const __m256i bracket = _mm256_set1_epi16(u']');
  const __m256i controls = _mm256_set1_epi16(0x1F);
  const __m256i tab = _mm256_set1_epi16(0x9);
  const __m256i line_feed = _mm256_set1_epi16(0xA);
  const __m256i carriage_return = _mm256_set1_epi16(0xD);
  const __m256i surrogates = _mm256_set1_epi16(static_cast<short>(0xD800));
  const __m256i surrogate_span = _mm256_set1_epi16(0x7FF);
  const __m256i below_nonchars = _mm256_set1_epi16(static_cast<short>(0xFFFD));
  const __m256i zero = _mm256_setzero_si256();
  // Most units lie between U+0020 and U+D7FF and are no "]": one comparison rules out a vector
  // of them, and only the others (line breaks mostly) get the full test.
  const __m256i space = _mm256_set1_epi16(0x20);
  const __m256i plain_span = _mm256_set1_epi16(static_cast<short>(0xD7FF - 0x20));
  for (; from + 16 <= to; from += 16) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + from));
    const __m256i above_space = _mm256_sub_epi16(v, space);
    const __m256i plain =
        _mm256_cmpeq_epi16(_mm256_min_epu16(above_space, plain_span), above_space);
    if (_mm256_movemask_epi8(_mm256_andnot_si256(_mm256_cmpeq_epi16(v, bracket), plain)) == -1) {
      continue;
    }
    const __m256i blank = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpeq_epi16(v, tab), _mm256_cmpeq_epi16(v, line_feed)),
        _mm256_cmpeq_epi16(v, carriage_return));
    const __m256i control =
        _mm256_andnot_si256(blank, _mm256_cmpeq_epi16(_mm256_subs_epu16(v, controls), zero));
    const __m256i surrogate = _mm256_cmpeq_epi16(
        _mm256_subs_epu16(_mm256_sub_epi16(v, surrogates), surrogate_span), zero);
    const __m256i nonchar = _mm256_cmpeq_epi16(_mm256_subs_epu16(v, below_nonchars), zero);
    const __m256i hits = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpeq_epi16(v, bracket), control),
        _mm256_or_si256(surrogate, _mm256_xor_si256(nonchar, _mm256_cmpeq_epi16(zero, zero))));
    const int bits = _mm256_movemask_epi8(hits);
    if (bits != 0) return FirstUnit(from, static_cast<unsigned>(bits));
  }
  return FindCDataNotableSse2(data, from, to);
}

#endif  // KPX_HAVE_AVX2

using FindNotableFunction = std::size_t (*)(const char16_t*, std::size_t, std::size_t) noexcept;

FindNotableFunction FindNotableAt(SimdLevel level) noexcept {
  if (!SimdLevelUsable(level)) return FindCDataNotableScalar;
  switch (level) {
#if defined(KPX_HAVE_AVX2)
    case SimdLevel::kAvx2:
      return FindCDataNotableAvx2;
    case SimdLevel::kSse2:
      return FindCDataNotableSse2;
#endif
    default:
      return FindCDataNotableScalar;
  }
}

}  // namespace

std::size_t FindCDataNotable(const char16_t* data, std::size_t from, std::size_t to) noexcept {
  static const FindNotableFunction find = FindNotableAt(BestSimdLevel());
  return find(data, from, to);
}

std::size_t FindCDataNotableWith(SimdLevel level, const char16_t* data, std::size_t from,
                                 std::size_t to) noexcept {
  return FindNotableAt(level)(data, from, to);
}

}  // namespace kpx
