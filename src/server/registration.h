// Registration data of the library's classes and type library in the registry store.
#pragma once

#include <string>

#include "platform/registry_store.h"

namespace kpx {

// Writes the ProgID keys, the class keys (replaced whole) and the type library keys of both
// classes, with module_path as the in-process server.
void RegisterServer(RegistryStore& store, const std::u16string& module_path);

// Removes what RegisterServer wrote; the CLSID, TypeLib and Interface roots stay.
void UnregisterServer(RegistryStore& store);

// Makes the library's classes creatable through CoCreateInstance in this process.
void EnsureServerClassesRegistered();

}  // namespace kpx
