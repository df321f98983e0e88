// A document view that counts every call made through the XML document interfaces: each node,
// attribute map and node handed out is wrapped, so a loader can be measured by the work it asks
// of the document.
#pragma once

#include <cstddef>

#include "com/com_object.h"
#include "kpx/msxml.h"

namespace kpx::testing {

class CountingAttributes final : public DispatchObject<IXMLDOMNamedNodeMap> {
 public:
  CountingAttributes(IXMLDOMNamedNodeMap* inner, size_t* calls) : inner_(inner), calls_(calls) {}
  HRESULT getNamedItem(BSTR name, IXMLDOMNode** node) override;
  HRESULT get_item(LONG index, IXMLDOMNode** node) override;
  HRESULT get_length(LONG* length) override { return Count(), inner_->get_length(length); }
  HRESULT nextNode(IXMLDOMNode** node) override;
  HRESULT reset() override { return Count(), inner_->reset(); }

 private:
  void Count() { ++*calls_; }
  ComPtr<IXMLDOMNamedNodeMap> inner_;
  size_t* calls_;
};

class CountingNode final : public DispatchObject<IXMLDOMNode> {
 public:
  CountingNode(IXMLDOMNode* inner, size_t* calls) : inner_(inner), calls_(calls) {}

  // Wraps a node handed out by the inner document (null stays null).
  static HRESULT Wrap(HRESULT hr, IXMLDOMNode** node, size_t* calls) {
    if (node && *node) {
      IXMLDOMNode* inner = *node;
      *node = new CountingNode(inner, calls);
      inner->Release();
    }
    return hr;
  }

  HRESULT get_nodeName(BSTR* name) override { return Count(), inner_->get_nodeName(name); }
  HRESULT get_nodeValue(VARIANT* value) override { return Count(), inner_->get_nodeValue(value); }
  HRESULT get_nodeType(DOMNodeType* type) override { return Count(), inner_->get_nodeType(type); }
  HRESULT get_parentNode(IXMLDOMNode** node) override {
    return Count(), Wrap(inner_->get_parentNode(node), node, calls_);
  }
  HRESULT get_childNodes(IXMLDOMNodeList**) override { return E_NOTIMPL; }
  HRESULT get_firstChild(IXMLDOMNode** node) override {
    return Count(), Wrap(inner_->get_firstChild(node), node, calls_);
  }
  HRESULT get_lastChild(IXMLDOMNode** node) override {
    return Count(), Wrap(inner_->get_lastChild(node), node, calls_);
  }
  HRESULT get_previousSibling(IXMLDOMNode** node) override {
    return Count(), Wrap(inner_->get_previousSibling(node), node, calls_);
  }
  HRESULT get_nextSibling(IXMLDOMNode** node) override {
    return Count(), Wrap(inner_->get_nextSibling(node), node, calls_);
  }
  HRESULT get_attributes(IXMLDOMNamedNodeMap** map) override {
    Count();
    HRESULT hr = inner_->get_attributes(map);
    if (map && *map) {
      IXMLDOMNamedNodeMap* inner = *map;
      *map = new CountingAttributes(inner, calls_);
      inner->Release();
    }
    return hr;
  }
  HRESULT get_ownerDocument(IXMLDOMDocument**) override { return E_NOTIMPL; }
  HRESULT hasChildNodes(VARIANT_BOOL* has) override { return Count(), inner_->hasChildNodes(has); }
  HRESULT get_text(BSTR* text) override { return Count(), inner_->get_text(text); }
  HRESULT get_xml(BSTR* xml) override { return Count(), inner_->get_xml(xml); }
  HRESULT get_baseName(BSTR* name) override { return Count(), inner_->get_baseName(name); }
  HRESULT get_namespaceURI(BSTR* uri) override { return Count(), inner_->get_namespaceURI(uri); }

 private:
  void Count() { ++*calls_; }
  ComPtr<IXMLDOMNode> inner_;
  size_t* calls_;
};

inline HRESULT CountingAttributes::getNamedItem(BSTR name, IXMLDOMNode** node) {
  return Count(), CountingNode::Wrap(inner_->getNamedItem(name, node), node, calls_);
}
inline HRESULT CountingAttributes::get_item(LONG index, IXMLDOMNode** node) {
  return Count(), CountingNode::Wrap(inner_->get_item(index, node), node, calls_);
}
inline HRESULT CountingAttributes::nextNode(IXMLDOMNode** node) {
  return Count(), CountingNode::Wrap(inner_->nextNode(node), node, calls_);
}

}  // namespace kpx::testing
