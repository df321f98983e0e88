// The converter's profile diagnostics sinks: they prefix each finding and pass it to the host's
// message window when the verbosity level lets it through.
#pragma once

#include <string_view>

#include "forward/conversion_engine.h"
#include "profile/profile_diagnostics.h"

namespace kpx {

class ProfileDiagnosticsSink final : public ProfileDiagnostics {
 public:
  // prefix: "Converter profile loading error: " or "Reverse converter profile loading error: ".
  ProfileDiagnosticsSink(const ConverterContext& context, std::u16string_view prefix)
      : context_(context), prefix_(prefix) {}

  // Errors go out as MessageError from verbosity 1, warnings as MessageWarning from verbosity 2;
  // the message is cut to 255 characters.
  void Report(bool is_error, IXMLDOMNode* node, std::u16string_view message) override;

 private:
  const ConverterContext& context_;
  std::u16string_view prefix_;
};

inline constexpr std::u16string_view kForwardProfilePrefix = u"Converter profile loading error: ";
inline constexpr std::u16string_view kReverseProfilePrefix =
    u"Reverse converter profile loading error: ";

}  // namespace kpx
