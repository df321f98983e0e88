// Counts the library's live objects and server locks, which decide DllCanUnloadNow.
#pragma once

namespace kpx {

void ModuleObjectCreated();
void ModuleObjectDestroyed();
void ModuleLock(bool lock);
// True when no object and no lock is alive.
bool ModuleCanUnload();

// Base for exported objects: counts itself for as long as it lives.
class ModuleCounted {
 public:
  ModuleCounted() { ModuleObjectCreated(); }
  ModuleCounted(const ModuleCounted&) = delete;
  ModuleCounted& operator=(const ModuleCounted&) = delete;
  ~ModuleCounted() { ModuleObjectDestroyed(); }
};

}  // namespace kpx
