// Profile diagnostics delivered to the host.
#include "server/profile_diagnostics_sink.h"

#include <string>

#include "host/host_text_format.h"

namespace kpx {

namespace {
constexpr size_t kMessageLength = 255;  // 256 characters with the end
}  // namespace

void ProfileDiagnosticsSink::Report(bool is_error, IXMLDOMNode*, std::u16string_view message) {
  LONG level = context_.verbosity_level;
  if (is_error ? level < 1 : level < 2) return;
  std::u16string text(prefix_);
  text += BoundedText(message, kMessageLength);
  context_.Host().DeliverMessage(is_error ? MessageError : MessageWarning, text);
}

}  // namespace kpx
