// Helpers shared by the cleaner's tests.
#pragma once

#include <string>
#include <string_view>

#include "base/utf.h"
#include "cleaner/html_cleaner.h"

namespace kpx::testing {

// What one cleaner run gave.
struct Cleaned {
  std::string output;    // as UTF-8, for readable expectations
  std::string messages;  // likewise
  bool switches_applied;
};

// The switches the conversion pipeline turns on, by their numbers.
inline void SetPipelineSwitches(HtmlCleaner& cleaner) {
  cleaner.SetOption(kOmitImplicitFormSwitch, true);
  cleaner.SetOption(kDontFlushTextareaSwitch, true);
  cleaner.SetOption(kSkipAnchorFixingSwitch, true);
}

inline Cleaned Clean(HtmlCleaner& cleaner, std::u16string_view input) {
  std::u16string output;
  EXPECT_EQ(cleaner.Run(input, &output), S_OK);
  return {ToUtf8(output), ToUtf8(cleaner.messages()), cleaner.switches_applied()};
}

// Runs a fresh cleaner in the given mode, with the pipeline switches or none.
inline Cleaned Clean(std::string_view html, bool pipeline, CleanerMode mode = CleanerMode::kHtml) {
  HtmlCleaner cleaner;
  cleaner.SetMode(mode);
  if (pipeline) SetPipelineSwitches(cleaner);
  return Clean(cleaner, ToUtf16(html));
}

// The part of a cleaned page between <body> and </body> (either case), without the line breaks next
// to them.
inline std::string BodyOf(const std::string& output) {
  const bool upper = output.find("<BODY>") != std::string::npos;
  const size_t open = output.find(upper ? "<BODY>" : "<body>");
  const size_t close = output.rfind(upper ? "</BODY>" : "</body>");
  if (open == std::string::npos || close == std::string::npos || close < open) return output;
  std::string body = output.substr(open + 6, close - open - 6);
  if (!body.empty() && body.front() == '\n') body.erase(0, 1);
  if (!body.empty() && body.back() == '\n') body.pop_back();
  return body;
}

inline bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace kpx::testing
