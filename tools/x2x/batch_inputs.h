// The files of an x2x batch run: the inputs found below the INPUT folders, where each result
// goes, and the checks that keep a result from landing on an input.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "x2x/host_data.h"

namespace x2x {

struct BatchItem {
  std::string name;                // as messages and the report show it
  std::filesystem::path input;     // the file read; empty for a page of the host file
  std::optional<size_t> hostPage;  // --all-pages: the host file's page
  std::filesystem::path output;
  std::uintmax_t bytes = 0;  // the input's size, for scheduling and the time left
  bool plainInput = false;   // a file met in a folder, itself no symbolic link
};

// The --include values, each of which may list several patterns separated by spaces; without
// any, "*.html *.htm *.tpl".
std::vector<std::string> IncludePatterns(const std::vector<std::string>& values);

// True when the file name matches one of the patterns (shell wildcards, ASCII case aside).
bool MatchesInclude(const char* fileName, const std::vector<std::string>& patterns);

// Every INPUT that is a file, and every file below an INPUT folder whose name matches a pattern,
// each folder in path order; the folder `out` and what lies below it are passed over, so that
// earlier results are not taken for inputs. A result goes to the file's path relative to its
// INPUT folder (an INPUT file: its name) below out, with the extension .xml when xmlResults.
// Throws UsageError for an INPUT that does not exist, for standard input, and when nothing is
// found.
std::vector<BatchItem> FindInputFiles(const std::vector<std::string>& inputs,
                                      const std::vector<std::string>& patterns,
                                      const std::filesystem::path& out, bool xmlResults);

// One item per page of the host file, its result named after the page's file (or, without one,
// its name with .html), the extension changed to .xml when xmlResults.
std::vector<BatchItem> HostPageItems(const std::vector<PageData>& pages,
                                     const std::filesystem::path& out, bool xmlResults);

// Throws UsageError when out is one of the INPUT folders, when two items would write the same
// result, or when a result or the report (empty: none) would overwrite an input. Results are
// taken as written in place of a symbolic link at their own place, never through it (see
// WriteResult); a link among their folders counts.
void CheckOutputs(const std::vector<BatchItem>& items, const std::vector<std::string>& inputs,
                  const std::filesystem::path& out, const std::string& report);

}  // namespace x2x
