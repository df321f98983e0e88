// UTF-8 and UTF-16 conversion over utfcpp, with replacement of what does not convert.
#include "base/utf.h"

#include <utf8cpp/utf8.h>

#include <iterator>

namespace kpx {

namespace {
constexpr char32_t kReplacement = 0xFFFD;
}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  auto put = std::back_inserter(out);
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    utf8::unchecked::append(static_cast<uint32_t>(c), put);
  }
  return out;
}

std::u16string ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  if (!FindInvalidUtf8(text)) {
    utf8::unchecked::utf8to16(text.begin(), text.end(), std::back_inserter(out));
    return out;
  }
  std::string valid;
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(valid),
                        static_cast<uint32_t>(kReplacement));
  utf8::unchecked::utf8to16(valid.begin(), valid.end(), std::back_inserter(out));
  return out;
}

std::optional<size_t> FindInvalidUtf8(std::string_view text) {
  auto it = utf8::find_invalid(text.begin(), text.end());
  if (it == text.end()) return std::nullopt;
  return static_cast<size_t>(it - text.begin());
}

}  // namespace kpx
