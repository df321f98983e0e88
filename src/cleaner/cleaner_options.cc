#include "cleaner/cleaner_options.h"

#include <tidy/tidyenum.h>

#include <array>

namespace kpx {

static_assert(kFirstCleanerSwitch == N_TIDY_OPTIONS,
              "the extension switches follow libtidy's own options");

namespace {

constexpr TidySetting kStandard[] = {
    {"char-encoding", "utf16le"},
    {"output-html", "yes"},
    {"force-output", "yes"},
    {"input-xml", "no"},
    {"break-before-br", "no"},
    {"tidy-mark", "no"},
    {"output-bom", "no"},
    {"wrap", "0"},
    {"doctype", "omit"},
    {"fix-bad-comments", "no"},
    {"indent", "no"},
};

// Every mode first resets the same seven options, then turns on its own.
constexpr TidySetting kHtmlMode[] = {
    {"output-html", "no"},
    {"output-xhtml", "no"},
    {"output-xml", "no"},
    {"uppercase-attributes", "no"},
    {"uppercase-tags", "no"},
    {"fix-bad-comments", "no"},
    {"drop-proprietary-attributes", "no"},
    {"output-html", "yes"},
};
constexpr TidySetting kXmlMode[] = {
    {"output-html", "no"},
    {"output-xhtml", "no"},
    {"output-xml", "no"},
    {"uppercase-attributes", "no"},
    {"uppercase-tags", "no"},
    {"fix-bad-comments", "no"},
    {"drop-proprietary-attributes", "no"},
    {"output-xml", "yes"},
    {"fix-bad-comments", "yes"},
    {"uppercase-attributes", "yes"},
    {"uppercase-tags", "yes"},
    {"drop-proprietary-attributes", "yes"},
};
constexpr TidySetting kXhtmlMode[] = {
    {"output-html", "no"},
    {"output-xhtml", "no"},
    {"output-xml", "no"},
    {"uppercase-attributes", "no"},
    {"uppercase-tags", "no"},
    {"fix-bad-comments", "no"},
    {"drop-proprietary-attributes", "no"},
    {"output-xhtml", "yes"},
};

struct NamedSwitch {
  std::string_view name;
  CleanerSwitch id;
};
constexpr std::array<NamedSwitch, 3> kNamedSwitches = {{
    {"kps-preserve-case", kPreserveCaseSwitch},
    {"kps-omit-implicit-form", kOmitImplicitFormSwitch},
    {"kps-dont-flush-textarea", kDontFlushTextareaSwitch},
}};

}  // namespace

std::span<const TidySetting> StandardCleanerSettings() {
  return kStandard;
}

std::span<const TidySetting> CleanerModeSettings(CleanerMode mode) {
  switch (mode) {
    case CleanerMode::kXml:
      return kXmlMode;
    case CleanerMode::kXhtml:
      return kXhtmlMode;
    case CleanerMode::kHtml:
      break;
  }
  return kHtmlMode;
}

std::optional<CleanerSwitch> CleanerSwitchByName(std::string_view name) {
  for (const NamedSwitch& entry : kNamedSwitches) {
    if (entry.name == name) return entry.id;
  }
  return std::nullopt;
}

}  // namespace kpx
