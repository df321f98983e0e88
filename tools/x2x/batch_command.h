// x2x batch: one operation over every file of a site, on several threads, with a progress line
// and a JSON report.
#pragma once

#include "x2x/console.h"

namespace x2x {

inline constexpr char kBatchSummary[] =
    "one operation over many files and folders, in parallel (x2x batch --help)";

// x2x batch OPERATION [OPTIONS] --out DIR INPUT...; argv[0] is "batch". Returns 0 when every
// item succeeded, 1 when any failed, 2 for a usage error.
int RunBatch(int argc, const char* const* argv, Console& console);

}  // namespace x2x
