// The parse errors that recognition records: (code, position) pairs, and the error text that the
// converter's getErrors returns for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kpx {

struct ParseError {
  int code;           // 1 to 10, see ParseErrorMessage
  uint32_t position;  // offset into the template text, in UTF-16 code units
};

// "invalid string", "invalid template variable syntax", ... for codes 1 to 10; "unknown error"
// for any other code.
const char* ParseErrorMessage(int code);

// One line per error: "<code> ('<message>') near <position as six or more hex digits>\n".
std::u16string FormatParseErrors(const std::vector<ParseError>& errors);

}  // namespace kpx
