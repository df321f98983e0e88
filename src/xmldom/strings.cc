// Text passing between libxml2 and BSTRs.
#include "xmldom/strings.h"

#include "base/utf.h"
#include "com/bstr.h"

namespace kpx {

HRESULT ReturnUtf8(std::string_view text, BSTR* out) {
  *out = AllocBstr(ToUtf16(text));
  return S_OK;
}

void SetVariantUtf8(VARIANT* out, std::string_view text) {
  BSTR s = AllocBstr(ToUtf16(text));
  VariantInit(out);
  out->vt = VT_BSTR;
  out->bstrVal = s;
}

size_t Utf16LengthOfUtf8Prefix(std::string_view text, size_t bytes) {
  if (bytes > text.size()) bytes = text.size();
  size_t units = 0;
  for (size_t i = 0; i < bytes; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) == 0x80) continue;  // continuation byte
    units += c >= 0xF0 ? 2 : 1;        // four-byte sequences become surrogate pairs
  }
  return units;
}

}  // namespace kpx
