// Character classes of the markup tokenizer: one constexpr table for ASCII, fixed answers above it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kpx {

enum MarkupCharClass : uint8_t {
  kCharWhitespace = 1 << 0,     // tab, vertical tab, form feed, space
  kCharLineBreak = 1 << 1,      // line feed, carriage return, U+2028, U+2029
  kCharName = 1 << 2,           // ASCII letters, digits and "_-#:"
  kCharNameStart = 1 << 3,      // name characters that may start a Name ("-#:" may not)
  kCharDelimiter = 1 << 4,      // "\"'<>{}/!?@%"
  kCharQuoteFollower = 1 << 5,  // ">/!?@%{": may stand right after a closing attribute quote
  kCharAsciiLetter = 1 << 6,
};

namespace markup_detail {

constexpr std::array<uint8_t, 128> MakeCharClassTable() {
  std::array<uint8_t, 128> table{};
  for (char c : {'\t', '\v', '\f', ' '}) table[static_cast<unsigned char>(c)] |= kCharWhitespace;
  for (char c : {'\n', '\r'}) table[static_cast<unsigned char>(c)] |= kCharLineBreak;
  for (int c = 'a'; c <= 'z'; ++c) table[c] |= kCharName | kCharNameStart | kCharAsciiLetter;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] |= kCharName | kCharNameStart | kCharAsciiLetter;
  for (int c = '0'; c <= '9'; ++c) table[c] |= kCharName | kCharNameStart;
  table['_'] |= kCharName | kCharNameStart;
  for (char c : {'-', '#', ':'}) table[static_cast<unsigned char>(c)] |= kCharName;
  for (char c : {'"', '\'', '<', '>', '{', '}', '/', '!', '?', '@', '%'}) {
    table[static_cast<unsigned char>(c)] |= kCharDelimiter;
  }
  for (char c : {'>', '/', '!', '?', '@', '%', '{'}) {
    table[static_cast<unsigned char>(c)] |= kCharQuoteFollower;
  }
  return table;
}

inline constexpr std::array<uint8_t, 128> kCharClassTable = MakeCharClassTable();

}  // namespace markup_detail

// Every character at or above 128 is outside all classes except the two Unicode line breaks.
constexpr uint8_t CharClassOf(char16_t c) {
  if (c < 128) return markup_detail::kCharClassTable[c];
  return (c == 0x2028 || c == 0x2029) ? kCharLineBreak : 0;
}

constexpr bool HasCharClass(char16_t c, uint8_t classes) {
  return (CharClassOf(c) & classes) != 0;
}

constexpr bool IsBlank(char16_t c) {
  return c < 128 ? (markup_detail::kCharClassTable[c] & (kCharWhitespace | kCharLineBreak)) != 0
                 : (c == 0x2028 || c == 0x2029);
}

constexpr bool IsNameChar(char16_t c) {
  return c < 128 && (markup_detail::kCharClassTable[c] & kCharName) != 0;
}

// The first offset at or after p (and not past size) that holds no name character. Eight
// characters at a time where the processor allows it: words end at unpredictable places, and
// one comparison per word costs less than one branch per character.
inline std::size_t SkipNameChars(const char16_t* data, std::size_t p, std::size_t size) {
#if defined(__SSE2__)
  const __m128i case_bit = _mm_set1_epi16(0x20);
  const __m128i a = _mm_set1_epi16('a');
  const __m128i zero_digit = _mm_set1_epi16('0');
  const __m128i letters = _mm_set1_epi16(25);
  const __m128i digits = _mm_set1_epi16(9);
  const __m128i zero = _mm_setzero_si128();
  while (p + 8 <= size) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
    const __m128i lower = _mm_or_si128(v, case_bit);
    __m128i name = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(lower, a), letters), zero);
    name = _mm_or_si128(
        name, _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, zero_digit), digits), zero));
    name = _mm_or_si128(name, _mm_cmpeq_epi16(v, _mm_set1_epi16('_')));
    name = _mm_or_si128(name, _mm_cmpeq_epi16(v, _mm_set1_epi16('-')));
    name = _mm_or_si128(name, _mm_cmpeq_epi16(v, _mm_set1_epi16('#')));
    name = _mm_or_si128(name, _mm_cmpeq_epi16(v, _mm_set1_epi16(':')));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(name));
    if (mask != 0xFFFFu) return p + static_cast<std::size_t>(__builtin_ctz(~mask)) / 2;
    p += 8;
  }
#endif
  while (p < size && IsNameChar(data[p])) ++p;
  return p;
}

// Letters and digits of any script (for the look-ahead after a closing attribute quote).
bool IsUnicodeLetterOrDigit(char32_t c);

}  // namespace kpx
