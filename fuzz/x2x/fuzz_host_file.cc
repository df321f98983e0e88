// Arbitrary bytes as a host file: either a clear error or a host whose page model holds together.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "x2x/fixture_host.h"
#include "x2x/host_file_loader.h"

namespace {

// Template files are never read: a fuzz run must not depend on the disk.
std::optional<std::string> NoFiles(const std::filesystem::path&, std::string* error) {
  *error = "no files while fuzzing";
  return std::nullopt;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  x2x::HostData hostData;
  try {
    hostData = x2x::ParseHostFile(bytes, "fuzz.xml", "/fuzz", &NoFiles);
  } catch (const x2x::HostFileError& e) {
    Check(std::string_view(e.what()).substr(0, 9) == "fuzz.xml:");
    return 0;
  }
  Check(!hostData.pages.empty());
  for (const x2x::PageData& page : hostData.pages) {
    for (size_t i = 0; i < page.components.size(); ++i) {
      int parent = page.components[i].parent;
      Check(parent < static_cast<int>(i));  // parents come first, so every chain ends at the page
    }
  }
  x2x::FixtureHost host(std::move(hostData), nullptr);
  for (size_t p = 0; p < host.PageCount(); ++p) {
    Check(static_cast<bool>(host.Page(p)));
    for (const x2x::ComponentData& component : host.Data().pages[p].components) {
      Check(static_cast<bool>(host.Component(p, component.id)));
    }
  }
  return 0;
}
