// Standard error lines of a run.
#include "x2x/run_report.h"

#include <ostream>

#include "base/utf.h"
#include "x2x/status_names.h"

namespace x2x {

std::string MessageKindLabel(LONG kind) {
  switch (kind) {
    case MessageInfo:
      return "info";
    case MessageWarning:
      return "warning";
    case MessageError:
      return "error";
    default:
      return "message " + std::to_string(kind);
  }
}

std::string MessageLine(const HostMessage& message) {
  std::u16string_view text = message.text;
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.remove_suffix(1);
  std::u16string flat;
  flat.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      flat += u"\\n";
    } else {
      flat += text[i];
    }
  }
  return MessageKindLabel(message.kind) + ": " + kpx::ToUtf8(flat);
}

std::vector<std::string> ErrorLines(std::u16string_view errorText) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < errorText.size()) {
    size_t end = errorText.find(u'\n', start);
    if (end == std::u16string_view::npos) end = errorText.size();
    std::u16string_view line = errorText.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    lines.push_back("errors: " + kpx::ToUtf8(line));
    start = end + 1;
  }
  return lines;
}

void RunReport::Write(std::ostream& err, const std::vector<HostMessage>& messages,
                      std::string_view operation, HRESULT status) const {
  for (const HostMessage& message : messages) err << MessageLine(message) << "\n";
  for (const std::string& line : ErrorLines(errors_)) err << line << "\n";
  for (const std::string& note : notes_) err << note << "\n";
  err << "x2x: " << operation << " returned " << DescribeStatus(status) << "\n";
}

}  // namespace x2x
