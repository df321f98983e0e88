#include "markup/attribute_escaping.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/ascii_case.h"

namespace kpx {

namespace {

std::atomic<bool> double_escape_quotes{false};
std::atomic<bool> attribute_escaping_off{false};
thread_local SwitchOverride double_escape_quotes_here = SwitchOverride::kNone;
thread_local SwitchOverride attribute_escaping_off_here = SwitchOverride::kNone;

// What this thread sees: its scope's setting, else the process-wide value. Relaxed order is
// enough: a switch orders nothing else, and each read sees some value that was set.
bool Effective(SwitchOverride here, const std::atomic<bool>& process_wide) noexcept {
  if (here != SwitchOverride::kNone) return here == SwitchOverride::kOn;
  return process_wide.load(std::memory_order_relaxed);
}

SwitchOverride OverrideFor(bool on) noexcept {
  return on ? SwitchOverride::kOn : SwitchOverride::kOff;
}

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

std::u16string_view ReplacementFor(std::u16string_view rest, bool double_escape) noexcept {
  switch (rest[0]) {
    case u'&':
      return StartsKnownEntity(rest) ? std::u16string_view() : u"&amp;";
    case u'<':
      return u"&lt;";
    case u'>':
      return u"&gt;";
    case u'"':
      return double_escape ? u"&amp;quot;" : u"&quot;";
    default:
      return {};
  }
}

}  // namespace

bool EscapeAttributeValue(MarkupString& value, EditSink* sink, std::size_t value_offset) {
  const std::u16string_view text = value.View();
  std::size_t i = FindMayBeEscaped(text, 0);
  if (i == text.size()) return false;  // the common case: nothing to do, nothing copied
  const bool double_escape = DoubleEscapeQuotes();
  while (i < text.size() && ReplacementFor(text.substr(i), double_escape).empty()) {
    i = FindMayBeEscaped(text, i + 1);  // an "&" that starts an entity stays
  }
  if (i == text.size()) return false;

  MarkupString escaped(text.substr(0, i), value.CaseSensitive());
  for (; i < text.size(); ++i) {
    const std::u16string_view replacement = ReplacementFor(text.substr(i), double_escape);
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
  return Effective(double_escape_quotes_here, double_escape_quotes);
}
void SetDoubleEscapeQuotes(bool on) noexcept {
  double_escape_quotes.store(on, std::memory_order_relaxed);
}
bool AttributeEscapingOff() noexcept {
  return Effective(attribute_escaping_off_here, attribute_escaping_off);
}
void SetAttributeEscapingOff(bool on) noexcept {
  attribute_escaping_off.store(on, std::memory_order_relaxed);
}

ScopedDoubleEscapeQuotes::ScopedDoubleEscapeQuotes(bool on) noexcept
    : previous_(std::exchange(double_escape_quotes_here, OverrideFor(on))) {}
ScopedDoubleEscapeQuotes::~ScopedDoubleEscapeQuotes() {
  double_escape_quotes_here = previous_;
}

ScopedAttributeEscapingOff::ScopedAttributeEscapingOff(bool on) noexcept
    : previous_(std::exchange(attribute_escaping_off_here, OverrideFor(on))) {}
ScopedAttributeEscapingOff::~ScopedAttributeEscapingOff() {
  attribute_escaping_off_here = previous_;
}

}  // namespace kpx
