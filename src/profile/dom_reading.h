// Reading a profile document through the XML document interfaces: names, types, text,
// attributes and children. A call that fails (rather than finding nothing) throws ConverterError.
#pragma once

#include <string>
#include <vector>

#include "kpx/msxml.h"

namespace kpx {

std::u16string NodeName(IXMLDOMNode* node);
DOMNodeType NodeType(IXMLDOMNode* node);
// The text of the node's subtree (an attribute's value, a CDATA section's content).
std::u16string NodeText(IXMLDOMNode* node);

ComPtr<IXMLDOMNode> FirstChild(IXMLDOMNode* node);
ComPtr<IXMLDOMNode> NextSibling(IXMLDOMNode* node);
ComPtr<IXMLDOMNode> ParentNode(IXMLDOMNode* node);

// The first element found from `start`: an element is the answer; from any other node the search
// goes on to its next sibling, or, when it has none, into its first child. Null when there is no
// element.
ComPtr<IXMLDOMNode> FindRootElement(IXMLDOMNode* start);

struct DomAttribute {
  std::u16string name;
  std::u16string value;
};
// The attributes of an element in document order (none for other nodes).
std::vector<DomAttribute> AttributesOf(IXMLDOMNode* node);

// Whether the node has children that carry content: elements, CDATA sections or text that is not
// only white space. Comments and processing instructions do not count.
bool HasContentChildren(IXMLDOMNode* node);

// Walks the children of a node in order.
class ChildWalk {
 public:
  explicit ChildWalk(IXMLDOMNode* parent) : next_(FirstChild(parent)) {}
  // The next child, or null at the end.
  ComPtr<IXMLDOMNode> Next();

 private:
  ComPtr<IXMLDOMNode> next_;
};

}  // namespace kpx
