// Where things are on disk: the library file itself and the program that loaded it.
#pragma once

#include <string>

namespace kpx {

// Full path of the file that holds this code (the shared library, or the program when linked
// statically); empty when it cannot be found.
std::string ModuleFilePath();
// ModuleFilePath without its file name and trailing separator.
std::string ModuleDirectory();
// Directory of the running program (from /proc/self/exe), without a trailing separator.
std::string ExecutableDirectory();

}  // namespace kpx
