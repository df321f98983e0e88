// Text passing between libxml2 (UTF-8, xmlChar) and the stand-in's callers (UTF-16 BSTRs).
#pragma once

#include <libxml/globals.h>
#include <libxml/xmlstring.h>

#include <string>
#include <string_view>

#include "kpx/com.h"

namespace kpx {

// The text of a libxml2 string; null reads as empty.
inline std::string_view XmlView(const xmlChar* s) {
  return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

// A libxml2 string that the caller must free with xmlFree, freed on every way out.
class XmlString {
 public:
  explicit XmlString(xmlChar* s) : s_(s) {}
  XmlString(const XmlString&) = delete;
  XmlString& operator=(const XmlString&) = delete;
  ~XmlString() { xmlFree(s_); }
  bool IsNull() const { return s_ == nullptr; }
  std::string_view View() const { return XmlView(s_); }

 private:
  xmlChar* s_;
};

// Hands UTF-8 text to a BSTR out parameter as UTF-16 (S_OK). Throws std::bad_alloc.
HRESULT ReturnUtf8(std::string_view text, BSTR* out);

// A getter with nothing to return: a null BSTR and S_FALSE.
inline HRESULT ReturnNoText(BSTR* out) {
  *out = nullptr;
  return S_FALSE;
}

// A VT_BSTR variant holding UTF-8 text as UTF-16. Throws std::bad_alloc.
void SetVariantUtf8(VARIANT* out, std::string_view text);

// The number of UTF-16 code units that the first `bytes` bytes of valid UTF-8 text decode to.
size_t Utf16LengthOfUtf8Prefix(std::string_view text, size_t bytes);

}  // namespace kpx
