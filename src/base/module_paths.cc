// Module and program paths from dladdr and /proc/self/exe.
#include "base/module_paths.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <filesystem>

namespace kpx {

namespace {

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

std::string ModuleFilePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleFilePath), &info) == 0 || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved)) return resolved;
  return info.dli_fname;
}

std::string ModuleDirectory() {
  return DirectoryOf(ModuleFilePath());
}

std::string ExecutableDirectory() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return DirectoryOf(exe.string());
}

}  // namespace kpx
