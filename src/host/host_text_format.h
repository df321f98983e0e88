// Filling the host's message texts with the system's arguments, safely.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kpx {

// Replaces the k-th "%s" of a host text by the k-th argument and "%%" by "%"; every other "%"
// sequence stays as written (a translated text is never used as a printf format). A "%s" without
// an argument becomes empty. The result is cut to max_length code units.
std::u16string FormatHostText(std::u16string_view text,
                              std::initializer_list<std::u16string_view> args, size_t max_length);

// Cuts text to at most max_length code units, never splitting a surrogate pair.
std::u16string_view BoundedText(std::u16string_view text, size_t max_length);

}  // namespace kpx
