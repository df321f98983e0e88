// The escapes of reverse-profile keys and values: "\\" for a backslash and "\x" (or "\X") with
// one to four hexadecimal digits for one UTF-16 code unit.
#pragma once

#include <string>
#include <string_view>

#include "profile/profile_value_syntax.h"

namespace kpx {

// Decodes text. A hex escape ends after four digits, at the end, or before the first character
// that is not a hex digit (a warning; that character is kept and read on its own); "\x" without
// any digit produces nothing. A backslash before any other character is a warning and both are
// dropped; so is a backslash at the very end.
std::u16string DecodeSubstitutionEscapes(std::u16string_view text, ValueFindings& findings);

}  // namespace kpx
