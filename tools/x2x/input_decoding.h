// Turns the bytes of an input file into the UTF-16 text the converter takes: UTF-8 (a UTF-8
// byte-order mark is skipped), or UTF-16 when the bytes start with a UTF-16 byte-order mark. The
// text is decoded straight into the system string that the converter is handed.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "com/bstr.h"

namespace x2x {

enum class InputEncoding { kUtf8, kUtf8WithBom, kUtf16LittleEndian, kUtf16BigEndian };

struct DecodedInput {
  kpx::Bstr text;  // not null when the bytes decode
  InputEncoding encoding = InputEncoding::kUtf8;
  std::string error;  // why they do not, when text is unset
};

// Invalid UTF-8 is an error naming the byte offset (counted from the first byte, mark included);
// UTF-16 with an odd number of bytes is an error. UTF-16 code units are kept as they are, unpaired
// surrogates included, so nothing of the input is lost.
DecodedInput DecodeInput(std::string_view bytes);

// Reads a whole file ("-" or empty: the stream given as standard input). On failure returns
// nullopt and sets *error to a message that names the file.
std::optional<std::string> ReadInputBytes(const std::string& path, std::istream& standardInput,
                                          std::string* error);

// A usage error: the message goes to standard error, and the run stops with status 2.
struct UsageError {
  std::string message;
};

// INPUT read and decoded (path "-" or empty: standardInput); throws UsageError when it cannot be
// read or does not decode.
kpx::Bstr ReadInputText(const std::string& path, std::istream& standardInput);

}  // namespace x2x
