// The `xml` of a node: its markup as UTF-8 text.
//
// A document gives an XML declaration only when its source had one, and then without an encoding
// (the text is handed out as UTF-16, so a declared byte encoding would be wrong): version and, if
// given, standalone. Each top-level node follows on its own line. Nothing is reindented, so
// loading the `xml` of a document gives the same `xml` again (when blank text is kept at load).
#pragma once

#include <libxml/tree.h>

#include <string>

namespace kpx {

// Throws ConverterError(E_FAIL) when libxml2 cannot write the node, std::bad_alloc without memory.
std::string SerializeNode(const xmlNode* node);

}  // namespace kpx
