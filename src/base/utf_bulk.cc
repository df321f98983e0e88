// The bulk UTF-8 and UTF-16 passes: ASCII a block at a time (16 bytes or 16 code units with SSE2,
// 8 otherwise), everything else one character at a time, back to blocks at the next ASCII.
#include <cstdint>
#include <cstring>

#include "base/utf.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kpx {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsTrail(unsigned char c) {
  return (c & 0xC0) == 0x80;
}
bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Length of the valid sequence that starts with the non-ASCII byte at p, or 0 when it is not
// one (Unicode's table of well-formed byte sequences).
size_t SequenceLength(const unsigned char* p, const unsigned char* end) {
  const unsigned char lead = p[0];
  const size_t room = static_cast<size_t>(end - p);
  if (lead < 0xC2) return 0;  // a trail byte, or an overlong two-byte lead
  if (lead < 0xE0) return room >= 2 && IsTrail(p[1]) ? 2 : 0;
  if (lead < 0xF0) {
    if (room < 3 || !IsTrail(p[1]) || !IsTrail(p[2])) return 0;
    if (lead == 0xE0 && p[1] < 0xA0) return 0;   // overlong
    if (lead == 0xED && p[1] >= 0xA0) return 0;  // a surrogate
    return 3;
  }
  if (lead < 0xF5) {
    if (room < 4 || !IsTrail(p[1]) || !IsTrail(p[2]) || !IsTrail(p[3])) return 0;
    if (lead == 0xF0 && p[1] < 0x90) return 0;   // overlong
    if (lead == 0xF4 && p[1] >= 0x90) return 0;  // above U+10FFFF
    return 4;
  }
  return 0;
}

// Bytes at p (at least a block's worth) that are ASCII before the first that is not; a whole
// block when all are.
#if defined(__SSE2__)
constexpr size_t kByteBlock = 16;
unsigned AsciiPrefix(const unsigned char* p) {
  const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  return high == 0 ? 16u : static_cast<unsigned>(__builtin_ctz(static_cast<unsigned>(high)));
}
// Widens a block of ASCII bytes to code units.
void WidenBlock(const unsigned char* p, char16_t* out) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i zero = _mm_setzero_si128();
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
}
#else
constexpr size_t kByteBlock = 8;
unsigned AsciiPrefix(const unsigned char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  if ((word & 0x8080808080808080u) == 0) return 8;
  unsigned n = 0;
  while (p[n] < 0x80) ++n;
  return n;
}
void WidenBlock(const unsigned char* p, char16_t* out) {
  for (size_t i = 0; i < kByteBlock; ++i) out[i] = p[i];
}
#endif

// Code units at p (at least a block's worth) that are ASCII before the first that is not; a
// whole block when all are. NarrowBlock writes a block of ASCII code units as bytes.
#if defined(__SSE2__)
constexpr size_t kUnitBlock = 16;
unsigned AsciiUnits(const char16_t* p) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  // Two bits per unit, set where the unit is ASCII.
  const unsigned lo =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(a, high), zero)));
  const unsigned hi =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(b, high), zero)));
  const unsigned ascii = lo | hi << 16;
  return ascii == 0xFFFFFFFFu ? 16u : static_cast<unsigned>(__builtin_ctz(~ascii)) / 2;
}
void NarrowBlock(const char16_t* p, char* out) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
}
#else
constexpr size_t kUnitBlock = 8;
unsigned AsciiUnits(const char16_t* p) {
  uint64_t words[2];
  std::memcpy(words, p, sizeof words);
  if (((words[0] | words[1]) & 0xFF80FF80FF80FF80u) == 0) return 8;
  unsigned n = 0;
  while (p[n] < 0x80) ++n;
  return n;
}
void NarrowBlock(const char16_t* p, char* out) {
  for (size_t i = 0; i < kUnitBlock; ++i) out[i] = static_cast<char>(p[i]);
}
#endif

// Appends the UTF-8 form of one code point.
char* PutUtf8(char32_t c, char* out) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (c >> 12));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (c >> 18));
    *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

}  // namespace

Utf8Scan ScanUtf8(std::string_view text) {
  const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = begin + text.size();
  const unsigned char* p = begin;
  size_t units = 0;
  while (p != end) {
    if (static_cast<size_t>(end - p) >= kByteBlock) {
      const unsigned ascii = AsciiPrefix(p);
      p += ascii;
      units += ascii;
      if (ascii == kByteBlock) continue;
    } else if (*p < 0x80) {
      ++p;
      ++units;
      continue;
    }
    // Non-ASCII until the next ASCII byte, a sequence at a time.
    while (p != end && *p >= 0x80) {
      const size_t length = SequenceLength(p, end);
      if (length == 0) return {static_cast<size_t>(p - begin), 0};
      p += length;
      units += length == 4 ? 2 : 1;
    }
  }
  return {std::nullopt, units};
}

size_t Utf8ToUtf16(std::string_view valid, char16_t* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(valid.data());
  const auto* const end = p + valid.size();
  char16_t* const first = out;
  while (p != end) {
    if (static_cast<size_t>(end - p) >= kByteBlock) {
      const unsigned ascii = AsciiPrefix(p);
      if (ascii == kByteBlock) {
        WidenBlock(p, out);
        p += kByteBlock;
        out += kByteBlock;
        continue;
      }
      for (unsigned i = 0; i < ascii; ++i) *out++ = *p++;
    } else if (*p < 0x80) {
      *out++ = *p++;
      continue;
    }
    while (p != end && *p >= 0x80) {
      const unsigned char lead = *p;
      if (lead < 0xE0) {
        *out++ = static_cast<char16_t>((lead & 0x1F) << 6 | (p[1] & 0x3F));
        p += 2;
      } else if (lead < 0xF0) {
        *out++ = static_cast<char16_t>((lead & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
        p += 3;
      } else {
        const char32_t c =
            (lead & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
        *out++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        p += 4;
      }
    }
  }
  return static_cast<size_t>(out - first);
}

size_t Utf8Length(std::u16string_view text) {
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  size_t bytes = 0;
  while (p != end) {
    if (static_cast<size_t>(end - p) >= kUnitBlock) {
      const unsigned ascii = AsciiUnits(p);
      p += ascii;
      bytes += ascii;
      if (ascii == kUnitBlock) continue;
    } else if (*p < 0x80) {
      ++p;
      ++bytes;
      continue;
    }
    while (p != end && *p >= 0x80) {
      if (*p < 0x800) {
        bytes += 2;
      } else if (IsHighSurrogate(*p) && p + 1 != end && IsLowSurrogate(p[1])) {
        bytes += 4;
        ++p;
      } else {
        bytes += 3;  // U+FFFD for an unpaired surrogate, the same length
      }
      ++p;
    }
  }
  return bytes;
}

size_t Utf16ToUtf8(std::u16string_view text, char* out) {
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  char* const first = out;
  while (p != end) {
    if (static_cast<size_t>(end - p) >= kUnitBlock) {
      const unsigned ascii = AsciiUnits(p);
      if (ascii == kUnitBlock) {
        NarrowBlock(p, out);
        p += kUnitBlock;
        out += kUnitBlock;
        continue;
      }
      for (unsigned i = 0; i < ascii; ++i) *out++ = static_cast<char>(*p++);
    } else if (*p < 0x80) {
      *out++ = static_cast<char>(*p++);
      continue;
    }
    while (p != end && *p >= 0x80) {
      char32_t c = *p++;
      if (IsHighSurrogate(static_cast<char16_t>(c)) && p != end && IsLowSurrogate(*p)) {
        c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00u);
      } else if (c >= 0xD800 && c <= 0xDFFF) {
        c = kReplacement;
      }
      out = PutUtf8(c, out);
    }
  }
  return static_cast<size_t>(out - first);
}

}  // namespace kpx
