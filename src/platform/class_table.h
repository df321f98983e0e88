// The in-process class table behind CoCreateInstance.
#pragma once

#include "kpx/com.h"

namespace kpx {

// Registers the classes the library itself provides (the XML stand-in classes) once per process.
// Called by CoCreateInstance before the first lookup.
void RegisterBuiltinClasses();

}  // namespace kpx
