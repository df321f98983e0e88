// Arbitrary bytes as x2x's INPUT: decoded UTF-8 converts back to the same bytes, UTF-16 keeps
// every code unit, and anything else is an error.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/utf.h"
#include "x2x/input_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  x2x::DecodedInput decoded = x2x::DecodeInput(bytes);
  if (!decoded.text) {
    if (decoded.error.empty()) std::abort();
    return 0;
  }
  switch (decoded.encoding) {
    case x2x::InputEncoding::kUtf8:
      if (kpx::ToUtf8(*decoded.text) != bytes) std::abort();
      break;
    case x2x::InputEncoding::kUtf8WithBom:
      if (kpx::ToUtf8(*decoded.text) != bytes.substr(3)) std::abort();
      break;
    case x2x::InputEncoding::kUtf16LittleEndian:
    case x2x::InputEncoding::kUtf16BigEndian:
      if (decoded.text->size() * 2 + 2 != bytes.size()) std::abort();
      break;
  }
  return 0;
}
