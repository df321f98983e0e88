// The x2x command line: x2x OPERATION [OPTIONS] [INPUT], x2x --list, x2x OPERATION --help.
#pragma once

#include <iosfwd>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "x2x/command_options.h"
#include "x2x/console.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace x2x {

// Parses the arguments and runs the operation or tool; returns the exit status (0 success, 1 a
// failure status, 2 a usage error or a file that cannot be read).
int RunX2x(int argc, const char* const* argv, Console& console);

// The options of a set added to a command, each bound to its field of values.
using BoundOptions = std::vector<std::pair<Option, CLI::Option*>>;
BoundOptions AddOptions(CLI::App* command, OptionSet options, CommandOptions& values);
// Those of them that the command line gave.
OptionSet GivenOptions(const BoundOptions& bound);

// Parses the command line into app: for a call for help, writes the help and gives the success
// status; for a parse error, writes it after `who` ("x2x", "x2x batch") and gives the usage
// status; nothing when the command line was read.
std::optional<int> ParseCommandLine(CLI::App& app, int argc, const char* const* argv,
                                    std::string_view who, Console& console);

// The --list text: the operations in function-table order, one per line, then the tools.
void WriteOperationList(std::ostream& out);

}  // namespace x2x
