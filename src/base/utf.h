// Conversions between the library's UTF-16 text and UTF-8 at its edges (files, command line,
// libxml2, libtidy).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kpx {

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD, so the result is always valid UTF-8.
std::string ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16. Invalid sequences become U+FFFD.
std::u16string ToUtf16(std::string_view text);

// Offset of the first byte that is not part of valid UTF-8, or nullopt when the text is valid.
std::optional<size_t> FindInvalidUtf8(std::string_view text);

// The bulk steps the conversions above are made of, for callers that place the result
// themselves. Each goes through ASCII a block of bytes at a time and decodes the rest one
// character at a time, so ASCII-heavy pages convert at memory speed.

// What a pass over UTF-8 text found: the offset of the first byte that is not part of valid
// UTF-8 (a sequence that is cut short, overlong, a surrogate or above U+10FFFF is invalid from its
// first byte), or, for valid text, how many UTF-16 code units it takes.
struct Utf8Scan {
  std::optional<size_t> invalid_at;
  size_t utf16_length = 0;
};
Utf8Scan ScanUtf8(std::string_view text);

// Writes valid UTF-8 text (as ScanUtf8 accepts it) as UTF-16 into out, which has room for
// ScanUtf8's utf16_length code units; returns the number written.
size_t Utf8ToUtf16(std::string_view valid, char16_t* out);

// The number of bytes ToUtf8 makes of text.
size_t Utf8Length(std::u16string_view text);

// Writes text as UTF-8 into out, which has room for Utf8Length(text) bytes (an unpaired surrogate
// becomes U+FFFD); returns the number written.
size_t Utf16ToUtf8(std::u16string_view text, char* out);

}  // namespace kpx
