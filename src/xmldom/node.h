// Node objects of the XML stand-in: the IXMLDOMNode functions over a NodeRef, shared by plain
// nodes, elements and documents, and the function that hands a node out as a COM object.
//
// Node objects are read-only views; two objects for the same node need not be the same object.
// Every node object holds its document object and its tree, so it stays valid after the
// document's last other reference is gone or the document has loaded something else.
#pragma once

#include "com/com_object.h"
#include "kpx/msxml.h"
#include "xmldom/node_ref.h"

namespace kpx {

// The IXMLDOMNode functions for any node; see kpx/msxml.h for their contracts.
HRESULT NodeGetName(const NodeRef& ref, BSTR* name);
HRESULT NodeGetValue(const NodeRef& ref, VARIANT* value);
HRESULT NodeGetType(const NodeRef& ref, DOMNodeType* type);
HRESULT NodeGetParent(const NodeRef& ref, IXMLDOMNode** parent);
HRESULT NodeGetChildNodes(const NodeRef& ref, IXMLDOMNodeList** children);
HRESULT NodeGetFirstChild(const NodeRef& ref, IXMLDOMNode** child);
HRESULT NodeGetLastChild(const NodeRef& ref, IXMLDOMNode** child);
HRESULT NodeGetPreviousSibling(const NodeRef& ref, IXMLDOMNode** sibling);
HRESULT NodeGetNextSibling(const NodeRef& ref, IXMLDOMNode** sibling);
HRESULT NodeGetAttributes(const NodeRef& ref, IXMLDOMNamedNodeMap** attributes);
HRESULT NodeGetOwnerDocument(const NodeRef& ref, IXMLDOMDocument** document);
HRESULT NodeHasChildNodes(const NodeRef& ref, VARIANT_BOOL* has);
HRESULT NodeGetText(const NodeRef& ref, BSTR* text);
HRESULT NodeGetXml(const NodeRef& ref, BSTR* xml);
HRESULT NodeGetBaseName(const NodeRef& ref, BSTR* name);
HRESULT NodeGetNamespaceUri(const NodeRef& ref, BSTR* uri);

// IXMLDOMNode (and IXmlNodeSource) for an object whose interface I derives from IXMLDOMNode; the
// derived class says which node it is through GetNodeRef.
template <class I>
class NodeObjectBase : public DispatchObject<I, IXmlNodeSource> {
 public:
  HRESULT get_nodeName(BSTR* name) override { return NodeGetName(Ref(), name); }
  HRESULT get_nodeValue(VARIANT* value) override { return NodeGetValue(Ref(), value); }
  HRESULT get_nodeType(DOMNodeType* type) override { return NodeGetType(Ref(), type); }
  HRESULT get_parentNode(IXMLDOMNode** parent) override { return NodeGetParent(Ref(), parent); }
  HRESULT get_childNodes(IXMLDOMNodeList** children) override {
    return NodeGetChildNodes(Ref(), children);
  }
  HRESULT get_firstChild(IXMLDOMNode** child) override { return NodeGetFirstChild(Ref(), child); }
  HRESULT get_lastChild(IXMLDOMNode** child) override { return NodeGetLastChild(Ref(), child); }
  HRESULT get_previousSibling(IXMLDOMNode** sibling) override {
    return NodeGetPreviousSibling(Ref(), sibling);
  }
  HRESULT get_nextSibling(IXMLDOMNode** sibling) override {
    return NodeGetNextSibling(Ref(), sibling);
  }
  HRESULT get_attributes(IXMLDOMNamedNodeMap** attributes) override {
    return NodeGetAttributes(Ref(), attributes);
  }
  HRESULT get_ownerDocument(IXMLDOMDocument** document) override {
    return NodeGetOwnerDocument(Ref(), document);
  }
  HRESULT hasChildNodes(VARIANT_BOOL* has) override { return NodeHasChildNodes(Ref(), has); }
  HRESULT get_text(BSTR* text) override { return NodeGetText(Ref(), text); }
  HRESULT get_xml(BSTR* xml) override { return NodeGetXml(Ref(), xml); }
  HRESULT get_baseName(BSTR* name) override { return NodeGetBaseName(Ref(), name); }
  HRESULT get_namespaceURI(BSTR* uri) override { return NodeGetNamespaceUri(Ref(), uri); }

 private:
  NodeRef Ref() { return this->GetNodeRef(); }
};

// Hands a node to an out parameter: an element object for an element, the owner document object
// for the tree it currently shows, a node object otherwise. S_FALSE and null for a null node;
// E_POINTER for a null slot.
HRESULT ReturnNode(NodeRef ref, IXMLDOMNode** out);

// The element object for an element node (throws std::bad_alloc).
ComPtr<IXMLDOMElement> MakeElementObject(NodeRef ref);

}  // namespace kpx
