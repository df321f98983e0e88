// Arbitrary bytes as x2x's INPUT: decoded UTF-8 converts back to the same bytes, UTF-16 keeps
// every code unit, and anything else is an error at the offset utfcpp's character-by-character
// validation finds.
#include <utf8cpp/utf8.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "x2x/input_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  x2x::DecodedInput decoded = x2x::DecodeInput(bytes);
  const size_t skipped = decoded.encoding == x2x::InputEncoding::kUtf8WithBom ? 3 : 0;
  const std::string_view body = bytes.substr(skipped);
  const bool utf8 = decoded.encoding == x2x::InputEncoding::kUtf8 ||
                    decoded.encoding == x2x::InputEncoding::kUtf8WithBom;
  const auto invalid = utf8::find_invalid(body.begin(), body.end());
  if (decoded.text.IsNull()) {
    if (decoded.error.empty()) std::abort();
    if (utf8 && decoded.error != "invalid UTF-8 at byte offset " +
                                     std::to_string(skipped + (invalid - body.begin()))) {
      std::abort();
    }
    return 0;
  }
  if (utf8) {
    if (invalid != body.end() || kpx::ToUtf8(decoded.text.View()) != body) std::abort();
  } else if (decoded.text.View().size() * 2 + 2 != bytes.size()) {
    std::abort();
  }
  return 0;
}
