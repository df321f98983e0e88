// The options of x2x's commands, and which of them a command takes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kpx/com.h"

namespace x2x {

enum Option : uint32_t {
  kOptHost = 1u << 0,
  kOptPage = 1u << 1,
  kOptComponent = 1u << 2,
  kOptNoInitialize = 1u << 3,
  kOptPublish = 1u << 4,
  kOptMeta = 1u << 5,
  kOptPath = 1u << 6,
  kOptCursor = 1u << 7,
  kOptStructure = 1u << 8,
  kOptWarnings = 1u << 9,
  kOptProfile = 1u << 10,
  kOptTarget = 1u << 11,
  kOptStylesheet = 1u << 12,
  kOptOp = 1u << 13,
  kOptSelect = 1u << 14,
  kOptTable = 1u << 15,
  kOptOpex = 1u << 16,
  kOptSource = 1u << 17,
  kOptCols = 1u << 18,
  kOptRows = 1u << 19,
  kOptAnswer = 1u << 20,
  kOptIds = 1u << 21,
  kOptMode = 1u << 22,
  kOptPipeline = 1u << 23,
  kOptPreserveCase = 1u << 24,
  kOptReverse = 1u << 25,
  kOptDefine = 1u << 26,
  kOptRules = 1u << 27,
  kOptDumpProject = 1u << 28,
};
using OptionSet = uint32_t;

// Every operation runs against a host, initializes it and may switch the publish mode on.
constexpr OptionSet kHostOptions = kOptHost | kOptNoInitialize | kOptPublish | kOptDumpProject;
// Operations that pass a page (which may ask the switch-to-design question).
constexpr OptionSet kPageOptions = kOptPage | kOptAnswer;
// Fragment operations: a page and a component of it as the parent.
constexpr OptionSet kParentOptions = kPageOptions | kOptComponent;

// What the command line gave. given tells which options were present.
struct CommandOptions {
  OptionSet given = 0;
  std::string input;  // INPUT: a path, "-" or empty for standard input
  std::string host;
  std::string page;
  LONG component = 0;
  std::string meta;
  std::string path;
  LONG cursor = -1;
  std::string structure;
  std::string profile;
  std::string target = "design";
  std::string stylesheet;
  std::string op;
  std::string select;
  LONG table = 0;
  std::string opex = "opexSmartSpan";
  std::string source;
  LONG cols = 0;
  LONG rows = 0;
  std::string answer;
  std::string ids;
  bool noInitialize = false;
  bool publish = false;
  bool warnings = false;
  std::string mode = "html";  // the cleaner's output mode (x2x clean)
  bool pipeline = false;      // the cleaner switches the conversion pipeline sets
  bool preserveCase = false;  // "kps-preserve-case"

  // x2x profile-check
  bool reverse = false;              // a reverse profile
  std::vector<std::string> defines;  // symbols for the profile's "if" elements
  bool listRules = false;            // list every rule

  bool dumpProject = false;  // --dump-project: the host project's values after the run

  bool Given(Option option) const { return (given & option) != 0; }
};

}  // namespace x2x
