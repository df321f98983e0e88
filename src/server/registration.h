// Registration data of the library's classes and type library in the registry store.
#pragma once

#include <string>

#include "registry/registry_store.h"

namespace kpx {

// Writes the ProgID keys, the class keys (replaced whole) and the type library keys of both
// classes, with module_path as the in-process server.
void RegisterServer(RegistryStore& store, const std::u16string& module_path);

// Removes what RegisterServer wrote; the CLSID, TypeLib and Interface roots stay.
void UnregisterServer(RegistryStore& store);

// Enters the document stand-ins (XML and HTML) in the class table: done when the library is loaded,
// and by programs that carry the library linked in.
void RegisterStandInClasses();

// Makes the library's classes (and the stand-ins) creatable through CoCreateInstance in this
// process.
void EnsureServerClassesRegistered();

}  // namespace kpx
