// Live object and lock counts of the library.
#include "server/module_lifetime.h"

#include <atomic>

namespace kpx {

namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
}  // namespace

void ModuleObjectCreated() {
  ++g_objects;
}
void ModuleObjectDestroyed() {
  --g_objects;
}
void ModuleLock(bool lock) {
  if (lock) {
    ++g_locks;
  } else if (g_locks > 0) {
    --g_locks;
  }
}
bool ModuleCanUnload() {
  return g_objects == 0 && g_locks == 0;
}

}  // namespace kpx
