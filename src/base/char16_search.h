// Searches over UTF-16 text that skip eight or sixteen characters at a time (as wide as the
// processor goes, base/cpu_features.h): the passes over whole pages look for a few rare characters
// or a marker, and a character-by-character loop would cost them more than the rest of their
// work.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/cpu_features.h"

namespace kpx {

// The offset of the first of a, b, c (repeat one to look for fewer) at or after from; npos when
// there is none.
std::size_t FindFirstOf(std::u16string_view text, std::size_t from, char16_t a, char16_t b,
                        char16_t c) noexcept;
// The same with the vectors of a level that SimdLevelUsable (tests hold the levels against each
// other).
std::size_t FindFirstOfWith(SimdLevel level, std::u16string_view text, std::size_t from, char16_t a,
                            char16_t b, char16_t c) noexcept;

inline std::size_t FindChar(std::u16string_view text, std::size_t from, char16_t a) noexcept {
  return FindFirstOf(text, from, a, a, a);
}

// The offset of the first occurrence of needle at or after from; npos when there is none. An
// empty needle is found at from (when from is inside the text or at its end).
std::size_t FindText(std::u16string_view text, std::size_t from,
                     std::u16string_view needle) noexcept;

// The same with ASCII letters matched in either case.
std::size_t FindTextIgnoringAsciiCase(std::u16string_view text, std::size_t from,
                                      std::u16string_view needle) noexcept;

}  // namespace kpx
