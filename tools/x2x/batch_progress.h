// The progress line of a batch run, kept on the last line of a terminal's standard error.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "x2x/batch_runner.h"

namespace x2x {

// "12/368 files, 1 failed, 35.2 files/s, about 0:10 left": the time left from the bytes still to
// convert at the rate so far (left out until an item is done).
std::string ProgressText(const BatchCounts& counts, size_t total, std::uintmax_t totalBytes,
                         double seconds);

class ProgressLine {
 public:
  // shown: standard error is a terminal; otherwise the line never appears.
  ProgressLine(std::ostream& err, bool shown, size_t total, std::uintmax_t totalBytes);

  // Redraws the line with the counts.
  void Update(const BatchCounts& counts);
  // Takes the line away before other lines are written; Update brings it back.
  void Clear();

 private:
  std::ostream& err_;
  bool shown_;
  bool drawn_ = false;
  size_t total_;
  std::uintmax_t totalBytes_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point drawnAt_;
};

}  // namespace x2x
