// The tools that x2x offers beside the operations. Adding one is a row in the table and its
// function.
#pragma once

#include <span>
#include <string_view>

#include "x2x/command_options.h"
#include "x2x/console.h"
#include "x2x/operation_table.h"

namespace x2x {

struct ToolSpec {
  std::string_view name;
  std::string_view summary;  // one line, for --list
  std::string_view help;     // for --help
  InputKind input;
  OptionSet options;
  int (*run)(const CommandOptions& options, Console& console);  // returns the exit status
};

std::span<const ToolSpec> Tools();
const ToolSpec* FindTool(std::string_view name);

}  // namespace x2x
