// ProfileLoader: reads a forward converter profile document (root "xconverterProfile") into a
// ConverterProfile, reporting every fault it meets through the profile's diagnostics.
#pragma once

#include "kpx/msxml.h"
#include "profile/converter_profile.h"

namespace kpx {

class ProfileLoader {
 public:
  // Loads `document` (a document node, or any node from which the root element is found) into
  // `profile`, adding to what the profile already holds. Returns false only when the root element
  // is not "xconverterProfile" (or there is none, or document is null); every other fault is
  // reported and skipped, so a profile with faults still loads whatever is valid. A failing
  // document interface call throws ConverterError.
  static bool Load(IXMLDOMNode* document, ConverterProfile& profile);
};

}  // namespace kpx
