// The cleaner's fixed configuration, its output modes and the numbers and names of the extension
// switches that the system adds after libtidy's own options.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace kpx {

enum class CleanerMode { kHtml = 0, kXml = 1, kXhtml = 2 };

// The extension switches, numbered directly after libtidy's last option (103 in 5.6), in this
// order, so that the three the pipeline sets are consecutive.
enum CleanerSwitch : int {
  kPreserveCaseSwitch = 103,
  kOmitImplicitFormSwitch,
  kDontFlushTextareaSwitch,
  kSkipAnchorFixingSwitch,
};
inline constexpr int kFirstCleanerSwitch = kPreserveCaseSwitch;
inline constexpr int kCleanerSwitchCount = 4;

// One libtidy option and the text it is set to (libtidy parses every kind of value from text).
struct TidySetting {
  const char* name;
  const char* value;
};

// The configuration every cleaner instance starts with, in the order it is applied.
std::span<const TidySetting> StandardCleanerSettings();

// The settings one output mode applies: first the options it resets, then the ones it turns on.
std::span<const TidySetting> CleanerModeSettings(CleanerMode mode);

// The switch a name selects ("kps-preserve-case", "kps-omit-implicit-form",
// "kps-dont-flush-textarea"); nullopt for any other name. The anchor switch has no name.
std::optional<CleanerSwitch> CleanerSwitchByName(std::string_view name);

// True for the numbers of the extension switches.
inline constexpr bool IsCleanerSwitch(int option) {
  return option >= kFirstCleanerSwitch && option < kFirstCleanerSwitch + kCleanerSwitchCount;
}

}  // namespace kpx
