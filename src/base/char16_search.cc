#include "base/char16_search.h"

#include "base/ascii_case.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(KPX_HAVE_AVX2)
#include <immintrin.h>
#endif

namespace kpx {

namespace {

constexpr std::size_t kNone = std::u16string_view::npos;

#if defined(__SSE2__)
__m128i Load(const char16_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}
unsigned Bits(__m128i mask) {
  return static_cast<unsigned>(_mm_movemask_epi8(mask));
}
__m128i Splat(char16_t c) {
  return _mm_set1_epi16(static_cast<short>(c));
}
#endif

// Folding with 0x20 takes "A"-"Z" to "a"-"z"; two characters equal ignoring ASCII case are equal
// folded (the converse need not hold).
constexpr char16_t kFold = 0x20;

#if defined(KPX_HAVE_AVX2)
#define KPX_AVX2 KPX_TARGET_AVX2

KPX_AVX2 __m256i Splat256(char16_t c) {
  return _mm256_set1_epi16(static_cast<short>(c));
}
KPX_AVX2 __m256i Load256(const char16_t* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// Find's candidates sixteen offsets at a time, from *next on while all three reads stay in the
// text (last: the last offset where the needle fits); *next is where it stopped looking.
template <bool kFolded>
KPX_AVX2 std::size_t FindAvx2(std::u16string_view text, std::u16string_view needle,
                              std::size_t last, std::size_t* next) {
  const char16_t* data = text.data();
  const std::size_t n = needle.size();
  const __m256i folding = Splat256(kFolded ? kFold : 0);
  const __m256i first = _mm256_or_si256(Splat256(needle[0]), folding);
  const __m256i second = _mm256_or_si256(Splat256(needle[1]), folding);
  const __m256i tail = _mm256_or_si256(Splat256(needle[n - 1]), folding);
  std::size_t i = *next;
  for (; i + 16 <= last + 1; i += 16) {
    const __m256i a = _mm256_or_si256(Load256(data + i), folding);
    const __m256i b = _mm256_or_si256(Load256(data + i + 1), folding);
    const __m256i c = _mm256_or_si256(Load256(data + i + n - 1), folding);
    auto bits = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(
        _mm256_and_si256(_mm256_cmpeq_epi16(a, first), _mm256_cmpeq_epi16(b, second)),
        _mm256_cmpeq_epi16(c, tail))));
    while (bits != 0) {
      const auto bit = static_cast<unsigned>(__builtin_ctz(bits));
      const std::size_t at = i + bit / 2;
      const std::u16string_view piece = text.substr(at, n);
      if (kFolded ? EqualsIgnoringAsciiCase(piece, needle) : piece == needle) return at;
      bits &= ~(3u << bit);  // both bytes of that character
    }
  }
  *next = i;
  return kNone;
}
#endif

// Both searches: candidates where the needle's first two and last characters match (folded or
// not), eight offsets at a time, then each candidate compared whole.
template <bool kFolded>
std::size_t Find(std::u16string_view text, std::size_t from, std::u16string_view needle) noexcept {
  const std::size_t size = text.size();
  if (from > size || needle.size() > size - from) return kNone;
  const auto equal = [](std::u16string_view a, std::u16string_view b) {
    return kFolded ? EqualsIgnoringAsciiCase(a, b) : a == b;
  };
  if (needle.empty()) return from;
  if (needle.size() == 1 && !kFolded) return FindChar(text, from, needle[0]);
  const char16_t* data = text.data();
  const std::size_t n = needle.size();
  const std::size_t last = size - n;  // the last offset where needle fits
  std::size_t i = from;
#if defined(KPX_HAVE_AVX2)
  if (n >= 2 && SimdLevelUsable(SimdLevel::kAvx2)) {
    const std::size_t found = FindAvx2<kFolded>(text, needle, last, &i);
    if (found != kNone) return found;
  }
#endif
#if defined(__SSE2__)
  if (n >= 2) {
    const char16_t fold = kFolded ? kFold : 0;
    const __m128i folding = Splat(fold);
    const __m128i first = Splat(static_cast<char16_t>(needle[0] | fold));
    const __m128i second = Splat(static_cast<char16_t>(needle[1] | fold));
    const __m128i tail = Splat(static_cast<char16_t>(needle[n - 1] | fold));
    const auto load = [folding](const char16_t* at) {
      return kFolded ? _mm_or_si128(Load(at), folding) : Load(at);
    };
    for (; i + 8 <= last + 1; i += 8) {
      const __m128i a = load(data + i);
      const __m128i b = load(data + i + 1);
      const __m128i c = load(data + i + n - 1);
      unsigned bits =
          Bits(_mm_and_si128(_mm_and_si128(_mm_cmpeq_epi16(a, first), _mm_cmpeq_epi16(b, second)),
                             _mm_cmpeq_epi16(c, tail)));
      while (bits != 0) {
        const unsigned bit = static_cast<unsigned>(__builtin_ctz(bits));
        const std::size_t at = i + bit / 2;
        if (equal(text.substr(at, n), needle)) return at;
        bits &= ~(3u << bit);  // both bytes of that character
      }
    }
  }
#endif
  const char16_t start = static_cast<char16_t>(needle[0] | (kFolded ? kFold : 0));
  for (; i <= last; ++i) {
    if (static_cast<char16_t>(data[i] | (kFolded ? kFold : 0)) == start &&
        equal(text.substr(i, n), needle)) {
      return i;
    }
  }
  return kNone;
}

// FindFirstOf from i on, inside the text (i < size), one unit at a time or a vector at a time.
std::size_t FirstOfScalar(const char16_t* data, std::size_t i, std::size_t size, char16_t a,
                          char16_t b, char16_t c) noexcept {
  for (; i < size; ++i) {
    const char16_t x = data[i];
    if (x == a || x == b || x == c) return i;
  }
  return kNone;
}

#if defined(__SSE2__)
std::size_t FirstOfSse2(const char16_t* data, std::size_t i, std::size_t size, char16_t a,
                        char16_t b, char16_t c) noexcept {
  const __m128i va = Splat(a);
  const __m128i vb = Splat(b);
  const __m128i vc = Splat(c);
  for (; i + 8 <= size; i += 8) {
    const __m128i v = Load(data + i);
    const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)),
                                      _mm_cmpeq_epi16(v, vc));
    const unsigned bits = Bits(hits);
    if (bits != 0) return i + static_cast<unsigned>(__builtin_ctz(bits)) / 2;
  }
  return FirstOfScalar(data, i, size, a, b, c);
}
#endif

#if defined(KPX_HAVE_AVX2)
KPX_AVX2 std::size_t FirstOfAvx2(const char16_t* data, std::size_t i, std::size_t size, char16_t a,
                                 char16_t b, char16_t c) noexcept {
  const __m256i va = Splat256(a);
  const __m256i vb = Splat256(b);
  const __m256i vc = Splat256(c);
  for (; i + 16 <= size; i += 16) {
    const __m256i v = Load256(data + i);
    const __m256i hits =
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi16(v, va), _mm256_cmpeq_epi16(v, vb)),
                        _mm256_cmpeq_epi16(v, vc));
    const auto bits = static_cast<unsigned>(_mm256_movemask_epi8(hits));
    if (bits != 0) return i + static_cast<unsigned>(__builtin_ctz(bits)) / 2;
  }
  return FirstOfSse2(data, i, size, a, b, c);
}
#endif

using FirstOfFunction = std::size_t (*)(const char16_t*, std::size_t, std::size_t, char16_t,
                                        char16_t, char16_t) noexcept;

// The variant of a level; the scalar one for a level this build or processor lacks.
FirstOfFunction FirstOfAt(SimdLevel level) noexcept {
  if (!SimdLevelUsable(level)) return FirstOfScalar;
  switch (level) {
#if defined(KPX_HAVE_AVX2)
    case SimdLevel::kAvx2:
      return FirstOfAvx2;
#endif
#if defined(__SSE2__)
    case SimdLevel::kSse2:
      return FirstOfSse2;
#endif
    default:
      return FirstOfScalar;
  }
}

}  // namespace

std::size_t FindFirstOf(std::u16string_view text, std::size_t from, char16_t a, char16_t b,
                        char16_t c) noexcept {
  static const FirstOfFunction find = FirstOfAt(BestSimdLevel());
  if (from >= text.size()) return kNone;
  return find(text.data(), from, text.size(), a, b, c);
}

std::size_t FindFirstOfWith(SimdLevel level, std::u16string_view text, std::size_t from, char16_t a,
                            char16_t b, char16_t c) noexcept {
  if (from >= text.size()) return kNone;
  return FirstOfAt(level)(text.data(), from, text.size(), a, b, c);
}

std::size_t FindText(std::u16string_view text, std::size_t from,
                     std::u16string_view needle) noexcept {
  return Find<false>(text, from, needle);
}

std::size_t FindTextIgnoringAsciiCase(std::u16string_view text, std::size_t from,
                                      std::u16string_view needle) noexcept {
  return Find<true>(text, from, needle);
}

}  // namespace kpx
