// The one lock that serializes every call into libtidy.
#pragma once

#include <mutex>

namespace kpx {

// libtidy rewrites a process-wide tag table on every parse, so two documents on two threads would
// corrupt each other's run. Every call into the library holds this lock.
std::mutex& TidyMutex();

}  // namespace kpx
