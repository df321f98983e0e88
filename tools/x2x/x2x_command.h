// The x2x command line: x2x OPERATION [OPTIONS] [INPUT], x2x --list, x2x OPERATION --help.
#pragma once

#include <iosfwd>

#include "x2x/console.h"

namespace x2x {

// Parses the arguments and runs the operation or tool; returns the exit status (0 success, 1 a
// failure status, 2 a usage error or a file that cannot be read).
int RunX2x(int argc, const char* const* argv, Console& console);

// The --list text: the operations in function-table order, one per line, then the tools.
void WriteOperationList(std::ostream& out);

}  // namespace x2x
