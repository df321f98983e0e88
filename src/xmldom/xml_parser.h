// Parsing XML text into a libxml2 tree, safely: no network, no external entities or DTDs loaded,
// no entity substitution (internal entities stay references whose text is their replacement
// text), and errors recorded on the parse instead of printed.
#pragma once

#include <string>
#include <string_view>

#include "xmldom/node_ref.h"
#include "xmldom/parse_error.h"

namespace kpx {

struct XmlParseOptions {
  // False drops whitespace-only text between elements (not inside elements that hold other text,
  // not in an element that has nothing else, not under xml:space="preserve").
  bool keep_blank_text = false;
};

// A document that parsed (error.code 0), or a null doc and why not. Text that is not well-formed,
// uses an undeclared namespace prefix or is empty does not parse.
struct ParseOutcome {
  XmlDocHandle doc;
  ParseErrorInfo error;
};

// Text from loadXML, already UTF-8: an encoding in its declaration is ignored. error.position
// counts UTF-16 code units of the text.
ParseOutcome ParseXmlText(std::string_view utf8, const XmlParseOptions& options);

// The bytes of a file; the encoding is detected from a byte order mark or the declaration. url
// becomes the document's URL and the error's url. error.position counts bytes of the text as
// decoded to UTF-8 (for a UTF-8 file, the offset in the file).
ParseOutcome ParseXmlBytes(std::string_view bytes, const std::string& url,
                           const XmlParseOptions& options);

}  // namespace kpx
