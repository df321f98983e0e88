// Node and element objects and the IXMLDOMNode functions they share with documents.
#include "xmldom/node.h"

#include "base/status.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "xmldom/node_list.h"
#include "xmldom/serializer.h"
#include "xmldom/strings.h"
#include "xmldom/tree.h"

namespace kpx {

namespace {

NodeRef Sibling(const NodeRef& ref, xmlNode* node) {
  return {ref.owner, ref.doc, node};
}

// A node that is neither an element nor the document a document object shows.
class NodeObject final : public NodeObjectBase<IXMLDOMNode> {
 public:
  explicit NodeObject(NodeRef ref) : ref_(std::move(ref)) {}
  NodeRef GetNodeRef() override { return ref_; }

 private:
  NodeRef ref_;
};

class ElementObject final : public NodeObjectBase<IXMLDOMElement> {
 public:
  explicit ElementObject(NodeRef ref) : ref_(std::move(ref)) {}
  NodeRef GetNodeRef() override { return ref_; }

  HRESULT get_tagName(BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    return Guarded([&] { return ReturnUtf8(QualifiedName(ref_.node), name); });
  }

  HRESULT getAttribute(BSTR name, VARIANT* value) override {
    if (!value) return E_POINTER;
    VariantInit(value);
    return Guarded([&] {
      const xmlAttr* attr = FindAttribute(ref_.node, ToUtf8(BstrView(name)));
      if (!attr) {
        value->vt = VT_NULL;
        return S_FALSE;
      }
      SetVariantUtf8(value, NodeText(reinterpret_cast<const xmlNode*>(attr)));
      return S_OK;
    });
  }

 private:
  NodeRef ref_;
};

// Shared shape of the getters that hand out text which a node may not have.
template <class F>
HRESULT ReturnOptional(BSTR* out, F&& text_of) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Guarded([&] {
    const xmlChar* text = text_of();
    return text ? ReturnUtf8(XmlView(text), out) : ReturnNoText(out);
  });
}

template <class F>
HRESULT ReturnText(BSTR* out, F&& text_of) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Guarded([&] { return ReturnUtf8(text_of(), out); });
}

bool IsDocumentNode(const xmlNode* node) {
  return DomTypeOf(node) == NODE_DOCUMENT;
}

}  // namespace

ComPtr<IXMLDOMElement> MakeElementObject(NodeRef ref) {
  return ComPtr<IXMLDOMElement>::Adopt(new ElementObject(std::move(ref)));
}

HRESULT ReturnNode(NodeRef ref, IXMLDOMNode** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!ref.node) return S_FALSE;
  return Guarded([&] {
    if (ref.node->type == XML_ELEMENT_NODE) {
      *out = MakeElementObject(std::move(ref)).Detach();
      return S_OK;
    }
    if (IsDocumentNode(ref.node) && ref.owner) {
      // The document object itself, while it still shows this tree.
      NodeRef current = NodeRefOf(ref.owner.Get());
      if (current.doc == ref.doc) return CopyOut<IXMLDOMNode>(ref.owner.Get(), out);
    }
    *out = new NodeObject(std::move(ref));
    return S_OK;
  });
}

HRESULT NodeGetName(const NodeRef& ref, BSTR* name) {
  return ReturnText(name, [&] { return DomNodeName(ref.node); });
}

HRESULT NodeGetValue(const NodeRef& ref, VARIANT* value) {
  if (!value) return E_POINTER;
  VariantInit(value);
  return Guarded([&] {
    if (!HasNodeValue(ref.node)) {
      value->vt = VT_NULL;
      return S_FALSE;
    }
    SetVariantUtf8(value, NodeValue(ref.node));
    return S_OK;
  });
}

HRESULT NodeGetType(const NodeRef& ref, DOMNodeType* type) {
  if (!type) return E_POINTER;
  *type = DomTypeOf(ref.node);
  return S_OK;
}

HRESULT NodeGetParent(const NodeRef& ref, IXMLDOMNode** parent) {
  return ReturnNode(Sibling(ref, DomParent(ref.node)), parent);
}

HRESULT NodeGetChildNodes(const NodeRef& ref, IXMLDOMNodeList** children) {
  if (!children) return E_POINTER;
  *children = nullptr;
  return Guarded([&] {
    *children = MakeChildList(ref).Detach();
    return S_OK;
  });
}

HRESULT NodeGetFirstChild(const NodeRef& ref, IXMLDOMNode** child) {
  return ReturnNode(Sibling(ref, DomFirstChild(ref.node)), child);
}

HRESULT NodeGetLastChild(const NodeRef& ref, IXMLDOMNode** child) {
  return ReturnNode(Sibling(ref, DomLastChild(ref.node)), child);
}

HRESULT NodeGetPreviousSibling(const NodeRef& ref, IXMLDOMNode** sibling) {
  return ReturnNode(Sibling(ref, DomPreviousSibling(ref.node)), sibling);
}

HRESULT NodeGetNextSibling(const NodeRef& ref, IXMLDOMNode** sibling) {
  return ReturnNode(Sibling(ref, DomNextSibling(ref.node)), sibling);
}

HRESULT NodeGetAttributes(const NodeRef& ref, IXMLDOMNamedNodeMap** attributes) {
  if (!attributes) return E_POINTER;
  *attributes = nullptr;
  if (ref.node->type != XML_ELEMENT_NODE) return S_FALSE;
  return Guarded([&] {
    *attributes = MakeAttributeMap(ref).Detach();
    return S_OK;
  });
}

HRESULT NodeGetOwnerDocument(const NodeRef& ref, IXMLDOMDocument** document) {
  if (!document) return E_POINTER;
  *document = nullptr;
  if (IsDocumentNode(ref.node) || !ref.owner) return S_FALSE;
  return CopyOut(ref.owner.Get(), document);
}

HRESULT NodeHasChildNodes(const NodeRef& ref, VARIANT_BOOL* has) {
  if (!has) return E_POINTER;
  *has = DomFirstChild(ref.node) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT NodeGetText(const NodeRef& ref, BSTR* text) {
  return ReturnText(text, [&] { return NodeText(ref.node); });
}

HRESULT NodeGetXml(const NodeRef& ref, BSTR* xml) {
  return ReturnText(xml, [&] { return SerializeNode(ref.node); });
}

HRESULT NodeGetBaseName(const NodeRef& ref, BSTR* name) {
  return ReturnOptional(name, [&] { return LocalNameOf(ref.node); });
}

HRESULT NodeGetNamespaceUri(const NodeRef& ref, BSTR* uri) {
  return ReturnOptional(uri, [&] { return NamespaceUriOf(ref.node); });
}

}  // namespace kpx
