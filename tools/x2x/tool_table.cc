// The tools: register and unregister call the library's registration entry points, registry
// prints the registry store, clean runs the HTML cleaner alone.
#include "x2x/tool_table.h"

#include <dlfcn.h>

#include <ostream>

#include "base/utf.h"
#include "cleaner/clean_tool.h"
#include "kpx/converter.h"
#include "registry/registry_store.h"
#include "x2x/input_decoding.h"
#include "x2x/profile_check_tool.h"
#include "x2x/status_names.h"
#include "x2x/table_grid_tool.h"
#include "x2x/text_output.h"

namespace x2x {

namespace {

int Report(std::string_view name, HRESULT hr, Console& console) {
  console.err << "x2x: " << name << " returned " << DescribeStatus(hr) << "\n";
  return SUCCEEDED(hr) ? kExitSuccess : kExitFailure;
}

// Registration records the path of the module that runs it, so it must run in the shared
// library (found beside the build's copy of x2x or through its install RPATH), not in the copy of
// the library that x2x carries.
int RunLibraryEntryPoint(const char* tool, const char* entry_point, Console& console) {
  void* library = dlopen(KPX_LIBRARY_FILE_NAME, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* why = dlerror();
    console.err << "x2x: " << tool << ": cannot load " << KPX_LIBRARY_FILE_NAME << ": "
                << (why ? why : "unknown error") << "\n";
    return kExitUsage;
  }
  using EntryPoint = HRESULT (*)();
  auto function = reinterpret_cast<EntryPoint>(dlsym(library, entry_point));
  int status = function ? Report(tool, function(), console) : kExitUsage;
  if (!function) console.err << "x2x: " << tool << ": the library has no " << entry_point << "\n";
  dlclose(library);
  return status;
}

int RunRegister(const CommandOptions&, Console& console) {
  return RunLibraryEntryPoint("register", "DllRegisterServer", console);
}

int RunUnregister(const CommandOptions&, Console& console) {
  return RunLibraryEntryPoint("unregister", "DllUnregisterServer", console);
}

// The store as an indented tree: each key on its line, its values below it as name = "value".
int RunRegistry(const CommandOptions&, Console& console) {
  const std::string path = kpx::RegistryStore::DefaultPath();
  try {
    kpx::RegistryStore store = kpx::RegistryStore::Load(path);
    console.out << "# " << path << "\n" << store.Dump();
    return kExitSuccess;
  } catch (const kpx::RegistryError& e) {
    console.err << "x2x: registry: " << e.what() << "\n";
    return kExitUsage;
  }
}

// The cleaner as the system configures it: the cleaned text on standard output, the cleaner's
// reports on standard error as info: lines.
int RunClean(const CommandOptions& options, Console& console) {
  kpx::CleanToolOptions clean;
  clean.mode = kpx::ParseCleanerMode(options.mode).value_or(kpx::CleanerMode::kHtml);
  clean.pipeline = options.pipeline;
  clean.preserve_case = options.preserveCase;
  kpx::Bstr input;
  try {
    input = ReadInputText(options.input, console.in);
  } catch (const UsageError& e) {
    console.err << "x2x: " << e.message << "\n";
    return kExitUsage;
  }
  std::u16string output;
  std::vector<std::u16string> messages;
  int status = kpx::RunCleanTool(clean, input.View(), &output, &messages);
  for (const std::u16string& line : messages) console.err << "info: " << kpx::ToUtf8(line) << "\n";
  if (status == 0) WriteUtf8(console.out, output);
  return status == 0 ? kExitSuccess : kExitFailure;
}

constexpr ToolSpec kTools[] = {
    {"register", "tool: registers the library's classes (DllRegisterServer)",
     "Calls DllRegisterServer and reports its status.", InputKind::kNone, 0, &RunRegister},
    {"unregister", "tool: removes the library's registration (DllUnregisterServer)",
     "Calls DllUnregisterServer and reports its status.", InputKind::kNone, 0, &RunUnregister},
    {"registry", "tool: prints the registry store as an indented tree",
     "Prints the registry store ($KPX_REGISTRY, else $XDG_CONFIG_HOME/kpx2x/registry.xml, else "
     "~/.config/kpx2x/registry.xml): each key on its line, its values below it. A damaged store "
     "is reported (exit status 2) and left as it is.",
     InputKind::kNone, 0, &RunRegistry},
    {"clean", "tool: the HTML cleaner alone, configured as the converter configures it",
     "Runs the HTML cleaner on INPUT: the cleaned text goes to standard output, the cleaner's "
     "reports to standard error as info: lines. --mode chooses HTML, XML or XHTML output; "
     "--pipeline turns on the switches the conversion pipeline sets; --preserve-case keeps tag "
     "names as written.",
     InputKind::kText, kOptMode | kOptPipeline | kOptPreserveCase, &RunClean},
    {"profile-check", "tool: loads a converter profile and prints its findings and a summary",
     "Loads INPUT as a converter profile the way the converter does (--reverse: as a reverse "
     "profile). Each finding goes to standard error as an error: or warning: line worded as the "
     "converter words it; a summary goes to standard output: where each finding is, then each "
     "mode with its rules by kind and by domain type, restrict entries, resource prefixes and "
     "tag-domain names (--rules also lists every rule), or the decoded pairs of a reverse "
     "profile. --define SYMBOL (repeatable) defines a symbol for the profile's if elements.\n"
     "Exit status: 0 when the profile loaded, with findings or not; 1 when its root element is "
     "wrong; 2 when the file cannot be read or is not XML.",
     InputKind::kXmlDocument, kOptReverse | kOptDefine | kOptRules, &RunProfileCheck},
    {"table-grid", "tool: draws the grid model of a table of an HTML document",
     "Reads INPUT as the editor's HTML document and draws table --table (default 0) as the table "
     "operations see it: one box per cell with its position in the document (R.C, as --select "
     "and --source take it), its spans, TH and locked flags and the start of its text; covered "
     "slots marked <, ^ or ^<; serviceable rows marked S.\n"
     "Exit status: 0 for a valid grid; 1 for an invalid one (drawn all the same); 2 when the "
     "file cannot be read or has no such table.",
     InputKind::kHtmlDocument, kOptTable, &RunTableGrid},
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
