// The progress line.
#include "x2x/batch_progress.h"

#include <charconv>
#include <cmath>
#include <ostream>

namespace x2x {

namespace {

// One decimal, without the process locale.
std::string OneDecimal(double value) {
  char text[32];
  auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
  return error == std::errc() ? std::string(text, end) : "?";
}

// m:ss, or h:mm:ss from an hour on.
std::string Duration(double seconds) {
  long total = std::lround(seconds);
  long hours = total / 3600;
  long minutes = total / 60 % 60;
  long rest = total % 60;
  std::string text = hours ? std::to_string(hours) + ":" : "";
  text += (hours && minutes < 10 ? "0" : "") + std::to_string(minutes) + ":";
  text += (rest < 10 ? "0" : "") + std::to_string(rest);
  return text;
}

}  // namespace

std::string ProgressText(const BatchCounts& counts, size_t total, std::uintmax_t totalBytes,
                         double seconds) {
  std::string text = std::to_string(counts.done) + "/" + std::to_string(total) + " files, " +
                     std::to_string(counts.failed) + " failed";
  if (seconds > 0)
    text += ", " + OneDecimal(static_cast<double>(counts.done) / seconds) + " files/s";
  if (counts.done < total && counts.bytesDone > 0 && seconds > 0) {
    double left = static_cast<double>(totalBytes - counts.bytesDone) * seconds /
                  static_cast<double>(counts.bytesDone);
    text += ", about " + Duration(left) + " left";
  }
  return text;
}

ProgressLine::ProgressLine(std::ostream& err, bool shown, size_t total, std::uintmax_t totalBytes)
    : err_(err), shown_(shown), total_(total), totalBytes_(totalBytes) {}

void ProgressLine::Update(const BatchCounts& counts) {
  if (!shown_) return;
  const auto now = std::chrono::steady_clock::now();
  // Ten redraws a second are plenty, however fast small files go by.
  if (drawn_ && counts.done < total_ && now - drawnAt_ < std::chrono::milliseconds(100)) return;
  drawnAt_ = now;
  double seconds = std::chrono::duration<double>(now - start_).count();
  err_ << "\r" << ProgressText(counts, total_, totalBytes_, seconds) << "\x1b[K" << std::flush;
  drawn_ = true;
}

void ProgressLine::Clear() {
  if (!drawn_) return;
  err_ << "\r\x1b[K";
  drawn_ = false;
}

}  // namespace x2x
