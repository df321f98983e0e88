#include "markup/attribute_escaping.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/ascii_case.h"

namespace kpx {

namespace {

bool double_escape_quotes = false;
bool attribute_escaping_off = false;

// Entities that an "&" may already begin; such an "&" is left alone.
bool StartsKnownEntity(std::u16string_view rest) noexcept {
  return StartsWithIgnoringAsciiCase(rest, u"&amp;") ||
         StartsWithIgnoringAsciiCase(rest, u"&lt;") || StartsWithIgnoringAsciiCase(rest, u"&gt;");
}

// The replacement for the character at rest[0], or an empty view when it stays.
// "&", "<", ">" and the double quote, as bits of one word: most values hold none of them, and
// one test per character finds that out.
constexpr std::uint64_t kMayBeEscaped = std::uint64_t{1} << '&' | std::uint64_t{1} << '<' |
                                        std::uint64_t{1} << '>' | std::uint64_t{1} << '"';

bool MayBeEscaped(char16_t c) noexcept {
  return c < 64 && ((kMayBeEscaped >> c) & 1) != 0;
}

// The offset of the first character from from on that may need escaping, or the length. Eight
// characters at a time where the processor allows it: nearly every value needs nothing, and
// one comparison per group costs less than a branch per character.
std::size_t FindMayBeEscaped(std::u16string_view text, std::size_t from) noexcept {
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i ampersand = _mm_set1_epi16('&');
  const __m128i less = _mm_set1_epi16('<');
  const __m128i greater = _mm_set1_epi16('>');
  const __m128i quote = _mm_set1_epi16('"');
  for (; i + 8 <= text.size(); i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, ampersand), _mm_cmpeq_epi16(v, less)),
                     _mm_or_si128(_mm_cmpeq_epi16(v, greater), _mm_cmpeq_epi16(v, quote)));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask)) / 2;
  }
#endif
  while (i < text.size() && !MayBeEscaped(text[i])) ++i;
  return i;
}

std::u16string_view ReplacementFor(std::u16string_view rest) noexcept {
  switch (rest[0]) {
    case u'&':
      return StartsKnownEntity(rest) ? std::u16string_view() : u"&amp;";
    case u'<':
      return u"&lt;";
    case u'>':
      return u"&gt;";
    case u'"':
      return double_escape_quotes ? u"&amp;quot;" : u"&quot;";
    default:
      return {};
  }
}

}  // namespace

bool EscapeAttributeValue(MarkupString& value, EditSink* sink, std::size_t value_offset) {
  const std::u16string_view text = value.View();
  std::size_t i = FindMayBeEscaped(text, 0);
  while (i < text.size() && ReplacementFor(text.substr(i)).empty()) {
    i = FindMayBeEscaped(text, i + 1);  // an "&" that starts an entity stays
  }
  if (i == text.size()) return false;  // the common case: nothing to do, nothing copied

  MarkupString escaped(text.substr(0, i), value.CaseSensitive());
  for (; i < text.size(); ++i) {
    const std::u16string_view replacement = ReplacementFor(text.substr(i));
    if (replacement.empty()) {
      escaped.Append(text[i]);
      continue;
    }
    escaped.Append(replacement);
    if (sink) {
      sink->Delete(value_offset + i, 1);
      sink->Insert(value_offset + i, replacement, /*after=*/true);
    }
  }
  value = std::move(escaped);
  return true;
}

bool DoubleEscapeQuotes() noexcept {
  return double_escape_quotes;
}
void SetDoubleEscapeQuotes(bool on) noexcept {
  double_escape_quotes = on;
}
bool AttributeEscapingOff() noexcept {
  return attribute_escaping_off;
}
void SetAttributeEscapingOff(bool on) noexcept {
  attribute_escaping_off = on;
}

}  // namespace kpx
