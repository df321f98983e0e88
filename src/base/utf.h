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

}  // namespace kpx
