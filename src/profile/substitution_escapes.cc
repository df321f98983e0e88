#include "profile/substitution_escapes.h"

#include "profile/profile_messages.h"

namespace kpx {

namespace {

int HexValue(char16_t c) noexcept {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool IsHighSurrogate(char16_t c) noexcept {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) noexcept {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::u16string DecodeSubstitutionEscapes(std::u16string_view text, ValueFindings& findings) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != u'\\') {
      out.push_back(text[i++]);
      continue;
    }
    if (i + 1 == text.size()) {
      findings.push_back({false, profile_messages::InvalidEscape(u"")});
      ++i;
      continue;
    }
    const char16_t escaped = text[i + 1];
    if (escaped == u'\\') {
      out.push_back(u'\\');
      i += 2;
    } else if (escaped == u'x' || escaped == u'X') {
      i += 2;
      unsigned value = 0;
      int digits = 0;
      for (int digit; digits < 4 && i < text.size() && (digit = HexValue(text[i])) >= 0; ++i) {
        value = value * 16 + static_cast<unsigned>(digit);
        ++digits;
      }
      if (digits < 4 && i < text.size()) {
        findings.push_back({false, profile_messages::InvalidHexDigit(text[i])});
      }
      if (digits > 0) out.push_back(static_cast<char16_t>(value));
    } else {
      // The character after the backslash, whole when it is a surrogate pair.
      size_t length = 1;
      if (IsHighSurrogate(escaped) && i + 2 < text.size() && IsLowSurrogate(text[i + 2]))
        length = 2;
      findings.push_back({false, profile_messages::InvalidEscape(text.substr(i + 1, length))});
      i += 1 + length;
    }
  }
  return out;
}

}  // namespace kpx
