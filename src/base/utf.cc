// UTF-8 and UTF-16 conversion: the bulk passes for well-formed text, utfcpp's replacement for
// UTF-8 that is not.
#include "base/utf.h"

#include <utf8cpp/utf8.h>

#include <iterator>

namespace kpx {

namespace {
constexpr uint32_t kReplacement = 0xFFFD;
}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out(Utf8Length(text), '\0');
  Utf16ToUtf8(text, out.data());
  return out;
}

std::u16string ToUtf16(std::string_view text) {
  const Utf8Scan scan = ScanUtf8(text);
  if (!scan.invalid_at) {
    std::u16string out(scan.utf16_length, u'\0');
    Utf8ToUtf16(text, out.data());
    return out;
  }
  std::string valid;
  valid.reserve(text.size());
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(valid), kReplacement);
  return ToUtf16(valid);
}

std::optional<size_t> FindInvalidUtf8(std::string_view text) {
  return ScanUtf8(text).invalid_at;
}

}  // namespace kpx
