// The streams and terminal that an x2x run talks to, and its exit statuses.
#pragma once

#include <iosfwd>

#include "x2x/fixture_host.h"

namespace x2x {

constexpr int kExitSuccess = 0;  // the operation returned a success status
constexpr int kExitFailure = 1;  // the operation returned a failure status
constexpr int kExitUsage = 2;    // a usage error or a file that cannot be read

struct Console {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  // Standard input is a terminal: the switch-to-design question is asked through askOnTerminal
  // (unless --answer gives the answer).
  bool inputIsTerminal = false;
  SwitchAnswerSource askOnTerminal;
  // Standard error is a terminal: x2x batch keeps a progress line there.
  bool errorIsTerminal = false;
};

}  // namespace x2x
