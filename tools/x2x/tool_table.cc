// The tools: register and unregister call the library's registration entry points.
#include "x2x/tool_table.h"

#include <ostream>

#include "kpx/converter.h"
#include "x2x/status_names.h"

namespace x2x {

namespace {

int Report(std::string_view name, HRESULT hr, Console& console) {
  console.err << "x2x: " << name << " returned " << DescribeStatus(hr) << "\n";
  return SUCCEEDED(hr) ? kExitSuccess : kExitFailure;
}

int RunRegister(const CommandOptions&, Console& console) {
  return Report("register", DllRegisterServer(), console);
}

int RunUnregister(const CommandOptions&, Console& console) {
  return Report("unregister", DllUnregisterServer(), console);
}

constexpr ToolSpec kTools[] = {
    {"register", "tool: registers the library's classes (DllRegisterServer)",
     "Calls DllRegisterServer and reports its status.", InputKind::kNone, 0, &RunRegister},
    {"unregister", "tool: removes the library's registration (DllUnregisterServer)",
     "Calls DllUnregisterServer and reports its status.", InputKind::kNone, 0, &RunUnregister},
};

}  // namespace

std::span<const ToolSpec> Tools() {
  return kTools;
}

const ToolSpec* FindTool(std::string_view name) {
  for (const ToolSpec& tool : kTools) {
    if (tool.name == name) return &tool;
  }
  return nullptr;
}

}  // namespace x2x
