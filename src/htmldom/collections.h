// The small objects of the HTML document stand-in: element collections, the attribute
// collection with its attribute objects, and the style object.
#pragma once

#include <string>
#include <vector>

#include "com/com_object.h"
#include "htmldom/document_state.h"
#include "kpx/mshtml.h"

namespace kpx::html {

class HtmlElementCollection final : public DispatchObject<IHTMLElementCollection> {
 public:
  HtmlElementCollection(StatePtr state, std::vector<NodePtr> elements)
      : state_(std::move(state)), elements_(std::move(elements)) {}

  HRESULT get_length(LONG* length) override;
  HRESULT item(LONG index, IDispatch** element) override;
  HRESULT tags(BSTR name, IHTMLElementCollection** result) override;

 private:
  StatePtr state_;
  std::vector<NodePtr> elements_;
};

// A snapshot of an element's attributes: names and decoded values.
class HtmlAttributeCollection final : public DispatchObject<IHTMLAttributeCollection> {
 public:
  struct Entry {
    std::u16string name;
    std::u16string value;
  };
  explicit HtmlAttributeCollection(std::vector<Entry> entries) : entries_(std::move(entries)) {}

  HRESULT get_length(LONG* length) override;
  HRESULT item(LONG index, IHTMLDOMAttribute** attribute) override;

 private:
  std::vector<Entry> entries_;
};

class HtmlDomAttribute final : public DispatchObject<IHTMLDOMAttribute> {
 public:
  HtmlDomAttribute(std::u16string name, std::u16string value)
      : name_(std::move(name)), value_(std::move(value)) {}

  HRESULT get_nodeName(BSTR* name) override;
  HRESULT get_nodeValue(VARIANT* value) override;
  HRESULT get_specified(VARIANT_BOOL* given) override;

 private:
  std::u16string name_;
  std::u16string value_;
};

// The style attribute of one element, read and written as text.
class HtmlStyle final : public DispatchObject<IHTMLStyle> {
 public:
  explicit HtmlStyle(NodePtr node) : node_(std::move(node)) {}

  HRESULT get_cssText(BSTR* text) override;
  HRESULT put_cssText(BSTR text) override;

 private:
  NodePtr node_;
};

// Every element below node, in document order.
std::vector<NodePtr> DescendantElements(const Node& node);

}  // namespace kpx::html
