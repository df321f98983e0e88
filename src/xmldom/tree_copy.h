// Stand-alone copies of a tree or subtree for libxslt, which takes ownership of a stylesheet
// document and ignores entity reference nodes.
#pragma once

#include <libxml/tree.h>

#include <memory>

#include "xmldom/node_ref.h"

namespace kpx {

struct XmlDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using OwnedXmlDoc = std::unique_ptr<xmlDoc, XmlDocFree>;

// A new document holding a copy of a document node's tree, or of an element as its root (with the
// original's URL, so relative references resolve as before). References to internal entities are
// replaced by their content and references to external ones (never loaded) are dropped.
// Throws ConverterError(E_INVALIDARG) for other node types, ConverterError(E_FAIL) when the
// entity expansion grows past a bound, std::bad_alloc.
OwnedXmlDoc CopyAsDocument(const NodeRef& ref);

}  // namespace kpx
