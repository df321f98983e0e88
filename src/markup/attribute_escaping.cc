#include "markup/attribute_escaping.h"

#include <cstdint>
#include <string_view>

#include "markup/ascii_case.h"

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
constexpr std::uint64_t kMayBeEscaped =
    std::uint64_t{1} << '&' | std::uint64_t{1} << '<' | std::uint64_t{1} << '>' |
    std::uint64_t{1} << '"';

bool MayBeEscaped(char16_t c) noexcept {
  return c < 64 && ((kMayBeEscaped >> c) & 1) != 0;
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
  std::size_t i = 0;
  while (i < text.size() && (!MayBeEscaped(text[i]) || ReplacementFor(text.substr(i)).empty())) {
    ++i;
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
