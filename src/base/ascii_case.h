// Case folding for names: only the ASCII letters A-Z and a-z are folded, so that names compare the
// same way whatever the locale and whatever characters outside ASCII they hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kpx {

constexpr char16_t AsciiToLower(char16_t c) noexcept {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

constexpr char16_t AsciiToUpper(char16_t c) noexcept {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

constexpr char AsciiToLower(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Equal lengths and equal characters after folding ASCII letters.
constexpr bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiToLower(a[i]) != AsciiToLower(b[i])) return false;
  }
  return true;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiToLower(a[i]) != AsciiToLower(b[i])) return false;
  }
  return true;
}

// A copy with the ASCII letters lowered.
inline std::u16string AsciiLowered(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiToLower(c);
  return out;
}

inline std::string AsciiLowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiToLower(c);
  return out;
}

// Three-way comparison after folding ASCII letters; on a common prefix the shorter text is
// smaller. Returns a negative value, zero or a positive value.
constexpr int CompareIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) noexcept {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = AsciiToLower(a[i]);
    const char16_t y = AsciiToLower(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// Whether text begins with prefix, ASCII letters folded.
constexpr bool StartsWithIgnoringAsciiCase(std::u16string_view text,
                                           std::u16string_view prefix) noexcept {
  return text.size() >= prefix.size() &&
         EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace kpx
