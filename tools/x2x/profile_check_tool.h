// x2x profile-check: loads a converter profile as the converter does, prints every finding the
// way the converter words it, and a summary of what was loaded.
#pragma once

#include "x2x/command_options.h"
#include "x2x/console.h"

namespace x2x {

// INPUT is the profile (a file, or - or nothing for standard input); --reverse reads it as a
// reverse profile; --define SYMBOL (repeatable) defines symbols for "if" elements; --rules lists
// every rule. Findings go to standard error as "error: PREFIX MESSAGE" / "warning: ..." lines,
// the summary to standard output. Returns 0 when the profile loaded (findings or not), 1 when
// its root element is wrong or its document could not be read through, 2 when the file cannot be
// read or is not XML.
int RunProfileCheck(const CommandOptions& options, Console& console);

}  // namespace x2x
