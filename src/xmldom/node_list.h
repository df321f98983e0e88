// The children of a node as a node list, and the attributes of an element as a named map. Both
// are taken when asked for (the trees never change afterwards) and hold the tree alive.
#pragma once

#include "kpx/msxml.h"
#include "xmldom/node_ref.h"

namespace kpx {

// Throw std::bad_alloc.
ComPtr<IXMLDOMNodeList> MakeChildList(const NodeRef& parent);
ComPtr<IXMLDOMNamedNodeMap> MakeAttributeMap(const NodeRef& element);

}  // namespace kpx
