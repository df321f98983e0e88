// Stage timing with the steady clock; recent trace lines kept per thread.
#include "base/stage_timer.h"

#include <charconv>
#include <deque>

namespace kpx {

namespace {

std::deque<std::string>& Lines() {
  thread_local std::deque<std::string> lines;
  return lines;
}

}  // namespace

StageTimer::StageTimer(const char* label)
    : label_(label), start_(std::chrono::steady_clock::now()) {}

StageTimer::~StageTimer() {
  try {
    auto elapsed = std::chrono::steady_clock::now() - start_;
    double ms = std::chrono::duration<double, std::milli>(elapsed).count();
    auto& lines = Lines();
    if (lines.size() == kKeptLines) lines.pop_front();
    lines.push_back(FormatLine(label_, ms));
  } catch (...) {
    // A trace line that cannot be kept is not worth failing an operation for.
  }
}

std::string StageTimer::FormatLine(const char* label, double milliseconds) {
  // Six decimals, as "%lf" writes them under "C", whatever the process locale.
  char number[400];  // the widest double in fixed notation
  const auto written =
      std::to_chars(number, number + sizeof number, milliseconds, std::chars_format::fixed, 6);
  std::string line = label;
  line += " took ";
  line.append(number, written.ptr);
  line += " ms\n";
  if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
  return line;
}

std::vector<std::string> StageTimer::RecentLines() {
  const auto& lines = Lines();
  return {lines.begin(), lines.end()};
}

void StageTimer::ClearRecentLines() {
  Lines().clear();
}

}  // namespace kpx
