// Where the converter profile loaders report what they find wrong with a profile.
#pragma once

#include <string_view>

#include "kpx/msxml.h"

namespace kpx {

class ProfileDiagnostics {
 public:
  virtual ~ProfileDiagnostics() = default;
  // One finding: an error or a warning about a node of the profile document (node may be null).
  virtual void Report(bool is_error, IXMLDOMNode* node, std::u16string_view message) = 0;
};

}  // namespace kpx
