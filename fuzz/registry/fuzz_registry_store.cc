// Fuzz target: arbitrary bytes as a registry store file. Loading either succeeds or reports a
// RegistryError; a store that loads saves and loads again to the same tree.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "registry/registry_store.h"

namespace {

// A scratch folder for the whole run, removed when the process ends.
const std::string& ScratchDir() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/kpx-fuzz-registry-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) std::abort();
    return std::string(made);
  }();
  // Registered after dir is made, so it runs before dir is destroyed.
  static const bool cleanup = std::atexit([] {
                                std::error_code ignored;
                                std::filesystem::remove_all(ScratchDir(), ignored);
                              }) == 0;
  (void)cleanup;
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = ScratchDir() + "/registry.xml";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  try {
    kpx::RegistryStore store = kpx::RegistryStore::Load(path);
    const std::string before = store.Dump();
    store.Save();
    if (kpx::RegistryStore::Load(path).Dump() != before) std::abort();
  } catch (const kpx::RegistryError&) {
    // A damaged store is reported; that is the expected outcome for most inputs.
  }
  return 0;
}
