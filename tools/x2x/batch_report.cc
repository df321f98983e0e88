// The batch report, written with nlohmann-json.
#include "x2x/batch_report.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "base/utf.h"
#include "x2x/run_report.h"
#include "x2x/status_names.h"

namespace x2x {

namespace {

// Keys in the order written, so that each item reads from its path on.
using json = nlohmann::ordered_json;

// Milliseconds to the microsecond: more digits would only be noise.
double Rounded(double milliseconds) {
  return std::round(milliseconds * 1000) / 1000;
}

std::string Hex(HRESULT status) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) {
    text += kDigits[(static_cast<uint32_t>(status) >> shift) & 0xF];
  }
  return text;
}

json ItemJson(const BatchItem& item, const ItemOutcome& outcome) {
  json messages = json::array();
  for (const HostMessage& message : outcome.messages) {
    messages.push_back(
        {{"kind", MessageKindLabel(message.kind)}, {"text", kpx::ToUtf8(message.text)}});
  }
  json object = {
      {"path", item.name},
      {"ok", outcome.ok},
      {"status", outcome.ran ? json(std::string(StatusName(outcome.status))) : json()},
      {"hresult", outcome.ran ? json(Hex(outcome.status)) : json()},
      {"timeMs", Rounded(outcome.milliseconds)},
      {"output", outcome.written ? json(item.output.string()) : json()},
      {"messages", std::move(messages)},
      {"errors", outcome.errors.empty() ? json() : json(kpx::ToUtf8(outcome.errors))},
      {"notes", outcome.notes},
  };
  return object;
}

}  // namespace

std::vector<std::string> ItemLines(const OperationSpec& operation, const BatchItem& item,
                                   const ItemOutcome& outcome) {
  std::vector<std::string> lines;
  const std::string prefix = item.name + ": ";
  for (const HostMessage& message : outcome.messages)
    lines.push_back(prefix + MessageLine(message));
  for (const std::string& line : ErrorLines(outcome.errors)) lines.push_back(prefix + line);
  for (const std::string& note : outcome.notes) lines.push_back(prefix + note);
  if (outcome.ran && FAILED(outcome.status)) {
    lines.push_back(prefix + "x2x: " + std::string(operation.name) + " returned " +
                    DescribeStatus(outcome.status));
  }
  return lines;
}

std::string SummaryLine(const BatchSummary& summary, size_t files, size_t failed) {
  char seconds[32];
  auto [end, error] = std::to_chars(seconds, seconds + sizeof seconds, summary.milliseconds / 1000,
                                    std::chars_format::fixed, 1);
  return "x2x batch: " + summary.operation + ": " + std::to_string(files) + " files, " +
         std::to_string(failed) + " failed, " +
         std::string(seconds, error == std::errc() ? end : seconds) + " s";
}

std::string BatchReportText(const BatchSummary& summary, const std::vector<BatchItem>& items,
                            const std::vector<ItemOutcome>& outcomes) {
  json files = json::array();
  size_t failed = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    files.push_back(ItemJson(items[i], outcomes[i]));
    if (!outcomes[i].ok) ++failed;
  }
  json report = {
      {"operation", summary.operation},
      {"out", summary.out},
      {"jobs", summary.workers},
      {"files", items.size()},
      {"failed", failed},
      {"timeMs", Rounded(summary.milliseconds)},
      {"items", std::move(files)},
  };
  return report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace x2x
