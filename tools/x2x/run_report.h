// The standard error of an operation run: the host's messages, the error text, notes, and the
// closing status line, in that order.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "x2x/fixture_host.h"

namespace x2x {

// "info", "warning", "error", or "message N" for another kind.
std::string MessageKindLabel(LONG kind);

// "info: TEXT", "warning: TEXT", "error: TEXT" ("message N: TEXT" for another kind). A line break
// inside the text is written as the two characters \n, so that each message stays one line.
std::string MessageLine(const HostMessage& message);

// One "errors: LINE" per line of the error text.
std::vector<std::string> ErrorLines(std::u16string_view errorText);

class RunReport {
 public:
  void AddNote(std::string note) { notes_.push_back(std::move(note)); }
  void SetErrors(std::u16string errorText) { errors_ = std::move(errorText); }
  const std::vector<std::string>& Notes() const { return notes_; }
  const std::u16string& Errors() const { return errors_; }

  // Writes messages, error lines, notes and "x2x: OPERATION returned NAME (0xHHHHHHHH)".
  void Write(std::ostream& err, const std::vector<HostMessage>& messages,
             std::string_view operation, HRESULT status) const;

 private:
  std::vector<std::string> notes_;
  std::u16string errors_;
};

}  // namespace x2x
