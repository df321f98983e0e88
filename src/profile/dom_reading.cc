#include "profile/dom_reading.h"

#include "base/status.h"
#include "com/bstr.h"

namespace kpx {

namespace {

// Runs a getter that hands out a node; S_FALSE (nothing there) gives null.
template <class Getter>
ComPtr<IXMLDOMNode> GetNode(IXMLDOMNode* node, Getter getter) {
  ComPtr<IXMLDOMNode> result;
  ThrowIfFailed((node->*getter)(result.Put()));
  return result;
}

bool IsBlank(std::u16string_view text) {
  for (char16_t c : text) {
    if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return false;
  }
  return true;
}

}  // namespace

std::u16string NodeName(IXMLDOMNode* node) {
  Bstr name;
  ThrowIfFailed(node->get_nodeName(name.Put()));
  return name.Str();
}

DOMNodeType NodeType(IXMLDOMNode* node) {
  DOMNodeType type = NODE_INVALID;
  ThrowIfFailed(node->get_nodeType(&type));
  return type;
}

std::u16string NodeText(IXMLDOMNode* node) {
  Bstr text;
  ThrowIfFailed(node->get_text(text.Put()));
  return text.Str();
}

ComPtr<IXMLDOMNode> FirstChild(IXMLDOMNode* node) {
  return GetNode(node, &IXMLDOMNode::get_firstChild);
}

ComPtr<IXMLDOMNode> NextSibling(IXMLDOMNode* node) {
  return GetNode(node, &IXMLDOMNode::get_nextSibling);
}

ComPtr<IXMLDOMNode> ParentNode(IXMLDOMNode* node) {
  return GetNode(node, &IXMLDOMNode::get_parentNode);
}

ComPtr<IXMLDOMNode> FindRootElement(IXMLDOMNode* start) {
  ComPtr<IXMLDOMNode> node(start);
  while (node && NodeType(node.Get()) != NODE_ELEMENT) {
    ComPtr<IXMLDOMNode> next = NextSibling(node.Get());
    node = next ? std::move(next) : FirstChild(node.Get());
  }
  return node;
}

std::vector<DomAttribute> AttributesOf(IXMLDOMNode* node) {
  std::vector<DomAttribute> attributes;
  ComPtr<IXMLDOMNamedNodeMap> map;
  if (ThrowIfFailed(node->get_attributes(map.Put())) != S_OK || !map) return attributes;
  LONG length = 0;
  ThrowIfFailed(map->get_length(&length));
  attributes.reserve(static_cast<size_t>(length > 0 ? length : 0));
  for (LONG i = 0; i < length; ++i) {
    ComPtr<IXMLDOMNode> attribute;
    if (ThrowIfFailed(map->get_item(i, attribute.Put())) != S_OK || !attribute) continue;
    attributes.push_back({NodeName(attribute.Get()), NodeText(attribute.Get())});
  }
  return attributes;
}

bool HasContentChildren(IXMLDOMNode* node) {
  ChildWalk children(node);
  while (ComPtr<IXMLDOMNode> child = children.Next()) {
    switch (NodeType(child.Get())) {
      case NODE_COMMENT:
      case NODE_PROCESSING_INSTRUCTION:
        break;
      case NODE_TEXT:
        if (!IsBlank(NodeText(child.Get()))) return true;
        break;
      default:
        return true;
    }
  }
  return false;
}

ComPtr<IXMLDOMNode> ChildWalk::Next() {
  ComPtr<IXMLDOMNode> current = std::move(next_);
  if (current) next_ = NextSibling(current.Get());
  return current;
}

}  // namespace kpx
