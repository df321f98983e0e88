// Stage timing with the steady clock; recent trace lines kept per thread.
#include "base/stage_timer.h"

#include <cstdio>
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
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s took %lf ms\n", label, milliseconds);
  return buffer;
}

std::vector<std::string> StageTimer::RecentLines() {
  const auto& lines = Lines();
  return {lines.begin(), lines.end()};
}

void StageTimer::ClearRecentLines() {
  Lines().clear();
}

}  // namespace kpx
