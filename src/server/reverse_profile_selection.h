// The reverse converter profile named in the host's settings, loaded once per converter, and the
// font colours the back transformation removes, read from the registry store on every call.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "forward/conversion_engine.h"
#include "profile/reverse_profile.h"

namespace kpx {

// Fills holder from the "ReverseConverterProfile" option (in "HTMLFormatting"), a file in the
// "Grid" item's "templatePath", when holder holds no loaded profile yet. Reports a missing
// option (warning) or a profile that does not load (error) through the host, as the verbosity
// level lets them through. Does nothing before a host application is bound.
void SelectReverseProfile(const ConverterContext& context, ProfileDiagnostics* diagnostics,
                          std::unique_ptr<ReverseProfile>& holder);

// The current user's "RemoveFontTagWithColors" value under
// "SOFTWARE\Orvelle\KeyPlexStudio4\Options\HTMLFormatting", as a colour list (the default colour
// when the store, the key or the value is missing or unreadable).
std::vector<std::u16string> ReadRemovedFontColours();

}  // namespace kpx
