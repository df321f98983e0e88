// The result text on its way out: UTF-8, written once.
#pragma once

#include <iosfwd>
#include <string_view>

namespace x2x {

// Writes text to out as UTF-8 (an unpaired surrogate as U+FFFD) with one write, from a buffer
// that is sized exactly, not cleared first, and asks for huge pages when large.
void WriteUtf8(std::ostream& out, std::u16string_view text);

}  // namespace x2x
