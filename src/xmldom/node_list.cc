// Node lists and attribute maps.
#include "xmldom/node_list.h"

#include <vector>

#include "base/status.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "com/com_object.h"
#include "xmldom/node.h"
#include "xmldom/tree.h"

namespace kpx {

namespace {

// The nodes of a list or map, with the position nextNode has reached.
class NodeSequence {
 public:
  NodeSequence(const NodeRef& from, std::vector<xmlNode*> nodes)
      : owner_(from.owner), doc_(from.doc), nodes_(std::move(nodes)) {}

  HRESULT Item(LONG index, IXMLDOMNode** node) const {
    if (!node) return E_POINTER;
    *node = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return S_FALSE;
    return ReturnNode({owner_, doc_, nodes_[static_cast<size_t>(index)]}, node);
  }
  HRESULT Length(LONG* length) const {
    if (!length) return E_POINTER;
    *length = static_cast<LONG>(nodes_.size());
    return S_OK;
  }
  HRESULT Next(IXMLDOMNode** node) {
    if (!node) return E_POINTER;
    *node = nullptr;
    if (cursor_ >= nodes_.size()) return S_FALSE;
    return ReturnNode({owner_, doc_, nodes_[cursor_++]}, node);
  }
  HRESULT Reset() {
    cursor_ = 0;
    return S_OK;
  }
  HRESULT Named(BSTR name, IXMLDOMNode** node) const {
    if (!node) return E_POINTER;
    *node = nullptr;
    return Guarded([&] {
      const std::string wanted = ToUtf8(BstrView(name));
      for (xmlNode* candidate : nodes_) {
        if (QualifiedName(candidate) == wanted) return ReturnNode({owner_, doc_, candidate}, node);
      }
      return S_FALSE;
    });
  }

 private:
  ComPtr<IXMLDOMDocument> owner_;
  XmlDocHandle doc_;
  std::vector<xmlNode*> nodes_;
  size_t cursor_ = 0;
};

class NodeListObject final : public DispatchObject<IXMLDOMNodeList> {
 public:
  explicit NodeListObject(NodeSequence nodes) : nodes_(std::move(nodes)) {}
  HRESULT get_item(LONG index, IXMLDOMNode** node) override { return nodes_.Item(index, node); }
  HRESULT get_length(LONG* length) override { return nodes_.Length(length); }
  HRESULT nextNode(IXMLDOMNode** node) override { return nodes_.Next(node); }
  HRESULT reset() override { return nodes_.Reset(); }

 private:
  NodeSequence nodes_;
};

class AttributeMapObject final : public DispatchObject<IXMLDOMNamedNodeMap> {
 public:
  explicit AttributeMapObject(NodeSequence nodes) : nodes_(std::move(nodes)) {}
  HRESULT getNamedItem(BSTR name, IXMLDOMNode** node) override { return nodes_.Named(name, node); }
  HRESULT get_item(LONG index, IXMLDOMNode** node) override { return nodes_.Item(index, node); }
  HRESULT get_length(LONG* length) override { return nodes_.Length(length); }
  HRESULT nextNode(IXMLDOMNode** node) override { return nodes_.Next(node); }
  HRESULT reset() override { return nodes_.Reset(); }

 private:
  NodeSequence nodes_;
};

}  // namespace

ComPtr<IXMLDOMNodeList> MakeChildList(const NodeRef& parent) {
  std::vector<xmlNode*> children;
  for (xmlNode* child = DomFirstChild(parent.node); child; child = child->next) {
    children.push_back(child);
  }
  return ComPtr<IXMLDOMNodeList>::Adopt(
      new NodeListObject(NodeSequence(parent, std::move(children))));
}

ComPtr<IXMLDOMNamedNodeMap> MakeAttributeMap(const NodeRef& element) {
  std::vector<xmlNode*> attributes;
  if (element.node->type == XML_ELEMENT_NODE) {
    for (xmlAttr* attr = element.node->properties; attr; attr = attr->next) {
      attributes.push_back(reinterpret_cast<xmlNode*>(attr));
    }
  }
  return ComPtr<IXMLDOMNamedNodeMap>::Adopt(
      new AttributeMapObject(NodeSequence(element, std::move(attributes))));
}

}  // namespace kpx
