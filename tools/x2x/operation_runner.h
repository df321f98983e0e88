// Runs one operation the way a host would: loads the host file, prepares the arguments, creates
// the converter through its class factory, initializes it, calls the operation and reports.
#pragma once

#include "x2x/command_options.h"
#include "x2x/console.h"
#include "x2x/operation_table.h"

namespace x2x {

// Returns the exit status. A failing initialize (or setPublishMode for --publish) does not stop
// the operation: it runs without a bound application (or in the default publish mode), and a
// note before the status line says so.
int RunOperation(const OperationSpec& operation, const CommandOptions& options, Console& console);

}  // namespace x2x
