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
    return;
  }
  // An unlock without a lock is ignored; testing and decrementing in one step keeps two threads
  // unlocking at once from taking the count below zero.
  long locks = g_locks.load();
  while (locks > 0 && !g_locks.compare_exchange_weak(locks, locks - 1)) {
  }
}
bool ModuleCanUnload() {
  return g_objects == 0 && g_locks == 0;
}

}  // namespace kpx
