// The effective mode of a parse: the profile's "default" mode with the rules of the requested mode
// appended, so that for a construct several rules match the requested mode's rule wins.
#pragma once

#include <string_view>

#include "profile/converter_profile.h"

namespace kpx {

// Finds or makes the mode named mode_name and the mode "default", appends the former's rules
// (copies, registered under their kind and domain), restrict entries, tag-domain names and
// resource prefixes to "default", and returns "default". Asking for "default" itself adds nothing.
ProfileMode& BuildEffectiveMode(ConverterProfile& profile, std::u16string_view mode_name);

}  // namespace kpx
