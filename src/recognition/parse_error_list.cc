// Error text of the parse error list.
#include "recognition/parse_error_list.h"

#include <cstdio>

namespace kpx {

const char* ParseErrorMessage(int code) {
  static constexpr const char* kMessages[] = {
      "invalid string",                    // 1
      "invalid template variable syntax",  // 2
      "invalid html",                      // 3
      "invalid template block syntax",     // 4
      "template end block mismatch",       // 5
      "invalid tag",                       // 6
      "invalid tag m_attrs",               // 7
      "invalid proxy",                     // 8
      "panic: component not found",        // 9
      "application error",                 // 10
  };
  if (code < 1 || code > 10) return "unknown error";
  return kMessages[code - 1];
}

std::u16string FormatParseErrors(const std::vector<ParseError>& errors) {
  std::u16string text;
  for (const ParseError& error : errors) {
    char line[128];
    int n = std::snprintf(line, sizeof line, "%d ('%s') near %06x\n", error.code,
                          ParseErrorMessage(error.code), static_cast<unsigned>(error.position));
    if (n < 0) continue;
    for (int i = 0; i < n && line[i]; ++i) text.push_back(static_cast<char16_t>(line[i]));
  }
  return text;
}

}  // namespace kpx
