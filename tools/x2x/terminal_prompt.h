// Asking the switch-to-design question on the controlling terminal.
#pragma once

#include <string_view>

#include "x2x/fixture_host.h"

namespace x2x {

// Shows the question on /dev/tty and reads the answer there (so that standard output and
// standard error keep their contract): "y"/"yes" is Yes, "always" is Yes and do not ask again,
// "never" is No and do not ask again, anything else (or no terminal) is No.
SwitchAnswer AskOnTerminal(const SwitchQuestion& question);

// Reads an answer line as AskOnTerminal does.
SwitchAnswer ReadSwitchAnswer(std::string_view line);

}  // namespace x2x
