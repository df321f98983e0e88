// The cleaner alone, configured as the system configures it: what `x2x clean` runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaner/cleaner_options.h"

namespace kpx {

struct CleanToolOptions {
  CleanerMode mode = CleanerMode::kHtml;
  bool pipeline = false;       // the switches the conversion pipeline turns on
  bool preserve_case = false;  // "kps-preserve-case"
};

// "html", "xml" or "xhtml"; nullopt for anything else.
std::optional<CleanerMode> ParseCleanerMode(std::string_view name);

// Runs one cleaner on input. *output receives the cleaned text, *messages the cleaner's reports,
// one line each, without line breaks. Returns 0 when the cleaner ran, 1 when it failed (a note
// in *messages says why).
int RunCleanTool(const CleanToolOptions& options, std::u16string_view input, std::u16string* output,
                 std::vector<std::u16string>* messages);

}  // namespace kpx
