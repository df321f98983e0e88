// Why a load failed: the record the parser fills in and the parseError object that shows it.
#pragma once

#include <string>

#include "com/com_object.h"
#include "kpx/msxml.h"

namespace kpx {

// All zero and empty after a successful load.
struct ParseErrorInfo {
  LONG code = 0;            // libxml2's error number; 0 when the load succeeded
  std::string url;          // the file of a load; empty for loadXML (UTF-8)
  std::string reason;       // the message (UTF-8)
  std::string source_text;  // the line where the error was found, at most about 2 KiB of it
  LONG line = 0;            // 1-based
  LONG column = 0;          // 1-based, in UTF-16 code units where the line is at hand
  LONG position = 0;        // 0-based offset: UTF-16 units (loadXML), UTF-8 bytes (load)
};

// Getters of text that is empty answer S_FALSE and null.
class ParseErrorObject final : public DispatchObject<IXMLDOMParseError> {
 public:
  explicit ParseErrorObject(ParseErrorInfo info) : info_(std::move(info)) {}

  HRESULT get_errorCode(LONG* code) override;
  HRESULT get_url(BSTR* url) override;
  HRESULT get_reason(BSTR* reason) override;
  HRESULT get_srcText(BSTR* text) override;
  HRESULT get_line(LONG* line) override;
  HRESULT get_linepos(LONG* column) override;
  HRESULT get_filepos(LONG* offset) override;

 private:
  ParseErrorInfo info_;
};

}  // namespace kpx
