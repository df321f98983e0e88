// Stage timing: each stage of an operation is measured with the steady clock and described by a
// trace line "<label> took <ms> ms\n" (at most 63 characters). The lines are not written anywhere;
// the most recent ones are kept so that tests and debuggers can read them.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace kpx {

class StageTimer {
 public:
  // Starts timing a stage; the line is recorded when the timer goes out of scope.
  explicit StageTimer(const char* label);
  StageTimer(const StageTimer&) = delete;
  StageTimer& operator=(const StageTimer&) = delete;
  ~StageTimer();

  // The trace line for a label and an elapsed time in milliseconds, as recorded.
  static std::string FormatLine(const char* label, double milliseconds);

  // The most recent lines of this thread, oldest first (at most kKeptLines).
  static std::vector<std::string> RecentLines();
  static void ClearRecentLines();

  static constexpr size_t kKeptLines = 64;
  static constexpr size_t kMaxLineLength = 63;

 private:
  const char* label_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace kpx
