// Page XML text writing and XML name checks.
#include "page/xml_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "base/cpu_features.h"
#if defined(KPX_HAVE_AVX2)
#include <immintrin.h>
#endif

#include "markup/attribute_escaping.h"

namespace kpx {

using namespace std::string_view_literals;

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Per ASCII character: 2 may start a name part (letters, "_"), 1 may only follow (digits, "-",
// "."), 0 neither.
constexpr std::array<uint8_t, 128> kPlain = [] {
  std::array<uint8_t, 128> table{};
  for (char c = 'a'; c <= 'z'; ++c) table[static_cast<size_t>(c)] = 2;
  for (char c = 'A'; c <= 'Z'; ++c) table[static_cast<size_t>(c)] = 2;
  table['_'] = 2;
  for (char c = '0'; c <= '9'; ++c) table[static_cast<size_t>(c)] = 1;
  table['-'] = 1;
  table['.'] = 1;
  return table;
}();

// Appends text[i] (and its low half when it is a whole surrogate pair) or U+FFFD; returns the
// number of code units consumed.
size_t AppendChecked(std::u16string& out, std::u16string_view text, size_t i) {
  const char16_t c = text[i];
  if (IsHighSurrogate(c)) {
    if (i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      out += c;
      out += text[i + 1];
      return 2;
    }
    out += kReplacement;
    return 1;
  }
  out += IsXmlChar(c) ? c : kReplacement;
  return 1;
}

bool StartsWith(std::u16string_view text, size_t at, std::u16string_view prefix) {
  return text.substr(at, prefix.size()) == prefix;
}

// NameStartChar of XML 1.0 (fifth edition), for BMP code units; a surrogate pair stands for a
// character in #x10000-#xEFFFF, which is allowed.
bool IsNameStartChar(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u':') return true;
  if (c < 0xC0) return false;
  return (c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
         (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD);
}

bool IsNameChar(char16_t c) {
  if (IsNameStartChar(c)) return true;
  return c == u'-' || c == u'.' || (c >= u'0' && c <= u'9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// Checks a name; colons allowed or not. Surrogate pairs count as name characters.
bool CheckName(std::u16string_view name, bool allow_colon) {
  if (name.empty()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    if (IsHighSurrogate(c)) {
      if (i + 1 >= name.size() || !IsLowSurrogate(name[i + 1])) return false;
      ++i;
      continue;
    }
    if (c == u':' && !allow_colon) return false;
    if (!(i == 0 ? IsNameStartChar(c) : IsNameChar(c))) return false;
  }
  return true;
}

}  // namespace

bool IsXmlChar(char16_t c) noexcept {
  if (c < 0x20) return c == 0x9 || c == 0xA || c == 0xD;
  return c != 0xFFFE && c != 0xFFFF;
}

void AppendXmlText(std::u16string& out, std::u16string_view text) {
  size_t run = 0;
  for (size_t i = 0; i < text.size();) {
    const char16_t c = text[i];
    const bool care = c == u'&' || c == u'<' || c == u'>' || c < 0x20 ||
                      (c >= 0xD800 && c <= 0xDFFF) || c >= 0xFFFE;
    if (!care || c == u'\t' || c == u'\n' || c == u'\r') {
      ++i;
      continue;
    }
    out.append(text.substr(run, i - run));
    switch (c) {
      case u'&':
        out += u"&amp;"sv;
        ++i;
        break;
      case u'<':
        out += u"&lt;"sv;
        ++i;
        break;
      case u'>':
        out += u"&gt;"sv;
        ++i;
        break;
      default:
        i += AppendChecked(out, text, i);
    }
    run = i;
  }
  out.append(text.substr(run));
}

void AppendXmlAttributeValue(std::u16string& out, std::u16string_view value) {
  for (size_t i = 0; i < value.size();) {
    switch (value[i]) {
      case u'&':
        if (StartsWith(value, i, u"&amp;") || StartsWith(value, i, u"&lt;") ||
            StartsWith(value, i, u"&gt;")) {
          out += u'&';
        } else {
          out += u"&amp;"sv;
        }
        ++i;
        break;
      case u'<':
        out += u"&lt;"sv;
        ++i;
        break;
      case u'>':
        out += u"&gt;"sv;
        ++i;
        break;
      case u'"':
        out += DoubleEscapeQuotes() ? u"&amp;quot;" : u"&quot;";
        ++i;
        break;
      case u'\t':
        out += u"&#9;"sv;
        ++i;
        break;
      case u'\n':
        out += u"&#10;"sv;
        ++i;
        break;
      case u'\r':
        out += u"&#13;"sv;
        ++i;
        break;
      default:
        i += AppendChecked(out, value, i);
    }
  }
}

// Whether the character at i needs more than copying in CDATA content, or may: the starts of
// "<![CDATA[" ("<!") and "]]>" ("]]"), control characters other than TAB, LF and CR, surrogates
// and the two non-characters.
static inline bool NeedsCDataCare(std::u16string_view text, size_t i) {
  const char16_t c = text[i];
  const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
  if (c == u'<') return next == u'!';
  if (c == u']') return next == u']';
  if (c < 0x20) return c != u'\t' && c != u'\n' && c != u'\r';
  return (c >= 0xD800 && c <= 0xDFFF) || c >= 0xFFFE;
}

#if defined(KPX_HAVE_AVX2)
const bool kAvx2 = SimdLevelUsable(SimdLevel::kAvx2);

// NextCDataCare's test of the sixteen characters at `at` (each with the one after it), as a bit
// mask with two bits a character.
KPX_TARGET_AVX2 unsigned CDataCareMask16(const char16_t* at) {
  const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 1));
  const __m256i biased = _mm256_xor_si256(chars, _mm256_set1_epi16(static_cast<short>(0x8000)));
  const __m256i pairs =
      _mm256_or_si256(_mm256_and_si256(_mm256_cmpeq_epi16(chars, _mm256_set1_epi16('<')),
                                       _mm256_cmpeq_epi16(next, _mm256_set1_epi16('!'))),
                      _mm256_and_si256(_mm256_cmpeq_epi16(chars, _mm256_set1_epi16(']')),
                                       _mm256_cmpeq_epi16(next, _mm256_set1_epi16(']'))));
  const __m256i blanks =
      _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi16(chars, _mm256_set1_epi16('\t')),
                                      _mm256_cmpeq_epi16(chars, _mm256_set1_epi16('\n'))),
                      _mm256_cmpeq_epi16(chars, _mm256_set1_epi16('\r')));
  const __m256i below = _mm256_set1_epi16(static_cast<short>(0x20 ^ 0x8000));
  const __m256i above = _mm256_set1_epi16(static_cast<short>((0xD800 - 1) ^ 0x8000));
  const __m256i controls = _mm256_andnot_si256(blanks, _mm256_cmpgt_epi16(below, biased));
  const __m256i care =
      _mm256_or_si256(_mm256_or_si256(pairs, controls), _mm256_cmpgt_epi16(biased, above));
  return static_cast<unsigned>(_mm256_movemask_epi8(care));
}

// NextCDataCare over [i, size - 1) for a text of at least seventeen characters and i before its
// last character: sixteen at a time, the last sixteen read again where the text does not divide
// evenly. Returns the offset found, or size - 1.
KPX_TARGET_AVX2 size_t NextCDataCareAvx2(std::u16string_view text, size_t i) {
  const size_t last_block = text.size() - 17;
  for (;; i += 16) {
    const size_t at = std::min(i, last_block);
    // In an overlapping last block, the characters before i are not looked at again.
    const unsigned mask = CDataCareMask16(text.data() + at) & (~0u << (2 * (i - at)));
    if (mask != 0) return at + static_cast<size_t>(__builtin_ctz(mask)) / 2;
    if (at == last_block) return text.size() - 1;
  }
}
#endif

#ifdef __SSE2__
// The same test for eight characters.
unsigned CDataCareMask8(const char16_t* at) {
  const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
  const __m128i biased = _mm_xor_si128(chars, _mm_set1_epi16(static_cast<short>(0x8000)));
  const __m128i pairs = _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi16(chars, _mm_set1_epi16('<')),
                                                   _mm_cmpeq_epi16(next, _mm_set1_epi16('!'))),
                                     _mm_and_si128(_mm_cmpeq_epi16(chars, _mm_set1_epi16(']')),
                                                   _mm_cmpeq_epi16(next, _mm_set1_epi16(']'))));
  const __m128i blanks = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(chars, _mm_set1_epi16('\t')),
                                                   _mm_cmpeq_epi16(chars, _mm_set1_epi16('\n'))),
                                      _mm_cmpeq_epi16(chars, _mm_set1_epi16('\r')));
  // Unsigned compares through the sign bias: c < 0x20, or c >= 0xD800 (surrogates, U+E000 and
  // up: a character from U+E000 to U+FFFD is then looked at one by one, which is rare).
  const __m128i below = _mm_set1_epi16(static_cast<short>(0x20 ^ 0x8000));
  const __m128i above = _mm_set1_epi16(static_cast<short>((0xD800 - 1) ^ 0x8000));
  const __m128i controls = _mm_andnot_si128(blanks, _mm_cmplt_epi16(biased, below));
  const __m128i care = _mm_or_si128(_mm_or_si128(pairs, controls), _mm_cmpgt_epi16(biased, above));
  return static_cast<unsigned>(_mm_movemask_epi8(care));
}
#endif

// The first index from i on where NeedsCDataCare, or the text's size. Sixteen or eight
// characters at a time where the processor allows: most literal text, markup included, needs no
// care at all. The vector tests pair each character with the next, so the last is looked at alone.
size_t NextCDataCare(std::u16string_view text, size_t i) {
  const size_t size = text.size();
  if (i + 1 >= size) return i < size && NeedsCDataCare(text, i) ? i : size;
#if defined(KPX_HAVE_AVX2)
  if (size >= 17 && kAvx2) {
    i = NextCDataCareAvx2(text, i);
  } else
#endif
  {
#ifdef __SSE2__
    if (size >= 9) {
      const size_t last_block = size - 9;
      for (;; i += 8) {
        const size_t at = std::min(i, last_block);
        const unsigned mask = CDataCareMask8(text.data() + at) & (~0u << (2 * (i - at)));
        if (mask != 0) return at + static_cast<size_t>(__builtin_ctz(mask)) / 2;
        if (at == last_block) break;
      }
      i = size - 1;
    }
#endif
  }
  while (i < size && !NeedsCDataCare(text, i)) ++i;
  return i;
}

void AppendCDataContent(std::u16string& out, std::u16string_view text) {
  size_t run = 0;  // start of the characters that are copied as they stand
  size_t i = 0;
  while (i < text.size()) {
    if (!NeedsCDataCare(text, i)) {
      i = NextCDataCare(text, i + 1);
      continue;
    }
    // Markup is full of "<": the second character rules most of them out.
    const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
    if (text[i] == u'<' && next == u'!' &&
        StartsWith(text, i, std::u16string_view(u"<![CDATA[", 9))) {
      out.append(text.substr(run, i - run));
      out += u"&lt;![CDATA["sv;
      i += 9;
      run = i;
    } else if (text[i] == u']' && next == u']' &&
               StartsWith(text, i, std::u16string_view(u"]]>", 3))) {
      out.append(text.substr(run, i - run));
      out += u"]]&gt;"sv;
      i += 3;
      run = i;
    } else if (text[i] == u'<' || text[i] == u']' || text[i] == u'\t' || text[i] == u'\n' ||
               text[i] == u'\r') {
      ++i;
    } else {
      out.append(text.substr(run, i - run));
      i += AppendChecked(out, text, i);
      run = i;
    }
  }
  out.append(text.substr(run));
}

void AppendLiteralText(std::u16string& out, std::u16string_view text) {
  if (text.empty()) return;
  out += u"<Text><![CDATA["sv;
  AppendCDataContent(out, text);
  out += u"]]></Text>"sv;
}

bool IsXmlName(std::u16string_view name) noexcept {
  return CheckName(name, true);
}

bool IsQName(std::u16string_view name) noexcept {
  // Most names are ASCII, which the table decides in one pass; the rest take the full check.
  size_t part = 0;  // where the current part (prefix or local name) starts
  bool ascii = true;
  for (size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    if (c >= 128) {
      ascii = false;
      break;
    }
    if (c == u':') {
      if (part != 0 || i == 0) return false;  // a second colon, or an empty prefix
      part = i + 1;
      continue;
    }
    if (kPlain[c] != 2 && (i == part || kPlain[c] == 0)) return false;
  }
  if (ascii) return part < name.size();
  const size_t colon = name.find(u':');
  if (colon == std::u16string_view::npos) return CheckName(name, false);
  return CheckName(name.substr(0, colon), false) && CheckName(name.substr(colon + 1), false);
}

std::u16string_view NamePrefix(std::u16string_view name) noexcept {
  const size_t colon = name.find(u':');
  return colon == std::u16string_view::npos ? std::u16string_view() : name.substr(0, colon);
}

bool IsPlainName(std::u16string_view name) noexcept {
  if (name.empty() || name[0] >= 128 || kPlain[name[0]] != 2) return false;
  if (name[0] == u'x' && name.substr(0, 5) == u"xmlns") return false;
  for (size_t i = 1; i < name.size(); ++i) {
    if (name[i] >= 128 || kPlain[name[i]] == 0) return false;
  }
  return true;
}

std::u16string WritableName(std::u16string_view name) {
  std::u16string out;
  if (name == u"xmlns" || name.substr(0, 6) == u"xmlns:") out = u"kps";
  out += name;
  if (IsQName(out)) return out;
  // Not a qualified name: keep what can stand, so that the document still loads.
  std::u16string fixed;
  bool colon_seen = false;
  for (size_t i = 0; i < out.size(); ++i) {
    char16_t c = out[i];
    const bool first_of_part = fixed.empty() || fixed.back() == u':';
    bool ok = first_of_part ? (IsNameStartChar(c) && c != u':') : IsNameChar(c);
    if (c == u':') ok = !colon_seen && !first_of_part && i + 1 < out.size();
    if (c == u':' && ok) colon_seen = true;
    fixed += ok ? c : u'_';
  }
  if (fixed.empty()) fixed = u"_";
  return fixed;
}

}  // namespace kpx
