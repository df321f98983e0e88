// The parseError object of a document.
#include "xmldom/parse_error.h"

#include "base/status.h"
#include "xmldom/strings.h"

namespace kpx {

namespace {

HRESULT ReturnLong(LONG value, LONG* out) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

HRESULT ReturnOptionalText(const std::string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Guarded([&] { return text.empty() ? ReturnNoText(out) : ReturnUtf8(text, out); });
}

}  // namespace

HRESULT ParseErrorObject::get_errorCode(LONG* code) {
  return ReturnLong(info_.code, code);
}
HRESULT ParseErrorObject::get_url(BSTR* url) {
  return ReturnOptionalText(info_.url, url);
}
HRESULT ParseErrorObject::get_reason(BSTR* reason) {
  return ReturnOptionalText(info_.reason, reason);
}
HRESULT ParseErrorObject::get_srcText(BSTR* text) {
  return ReturnOptionalText(info_.source_text, text);
}
HRESULT ParseErrorObject::get_line(LONG* line) {
  return ReturnLong(info_.line, line);
}
HRESULT ParseErrorObject::get_linepos(LONG* column) {
  return ReturnLong(info_.column, column);
}
HRESULT ParseErrorObject::get_filepos(LONG* offset) {
  return ReturnLong(info_.position, offset);
}

}  // namespace kpx
