// XML documents for the operations that take one (a profile, a stylesheet, the input of an XSLT
// run), made through the class table as any host makes them.
#pragma once

#include <string>
#include <string_view>

#include "kpx/msxml.h"

namespace x2x {

struct LoadedDocument {
  ComPtr<IXMLDOMDocument> document;  // null on failure
  std::string error;                 // why, naming the file and the place when it did not parse
};

// A new, empty document (CoCreateInstance of CLSID_DOMDocument).
LoadedDocument CreateXmlDocument();
// A document loaded from a file with load().
LoadedDocument LoadXmlFile(const std::string& path);
// A document loaded from text with loadXML(); name is used in messages.
LoadedDocument LoadXmlText(std::u16string_view text, const std::string& name);

}  // namespace x2x
