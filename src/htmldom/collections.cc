// Element collections, attributes and style of the HTML document stand-in.
#include "htmldom/collections.h"

#include "base/status.h"
#include "com/bstr.h"
#include "htmldom/com_util.h"
#include "htmldom/element.h"

namespace kpx::html {

std::vector<NodePtr> DescendantElements(const Node& node) {
  std::vector<NodePtr> out;
  std::vector<std::pair<const Node*, size_t>> stack{{&node, 0}};
  while (!stack.empty()) {
    auto& [parent, next] = stack.back();
    if (next == parent->children.size()) {
      stack.pop_back();
      continue;
    }
    const NodePtr& child = parent->children[next++];
    if (!child->IsElement()) continue;
    out.push_back(child);
    stack.emplace_back(child.get(), 0);
  }
  return out;
}

HRESULT HtmlElementCollection::get_length(LONG* length) {
  if (!length) return E_POINTER;
  *length = static_cast<LONG>(elements_.size());
  return S_OK;
}

HRESULT HtmlElementCollection::item(LONG index, IDispatch** element) {
  if (!element) return E_POINTER;
  *element = nullptr;
  if (index < 0 || static_cast<size_t>(index) >= elements_.size()) return S_FALSE;
  return Guarded([&] {
    return OutDispatch(
        HtmlElement::Wrap(state_, elements_[static_cast<size_t>(index)])->AsElement(), element);
  });
}

HRESULT HtmlElementCollection::tags(BSTR name, IHTMLElementCollection** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  return Guarded([&] {
    std::vector<NodePtr> matching;
    for (const NodePtr& e : elements_) {
      if (EqualsIgnoringCase(e->name, BstrView(name))) matching.push_back(e);
    }
    ComPtr<IHTMLElementCollection> made =
        MakeCom<HtmlElementCollection>(state_, std::move(matching));
    return OutObject(made, result);
  });
}

HRESULT HtmlAttributeCollection::get_length(LONG* length) {
  if (!length) return E_POINTER;
  *length = static_cast<LONG>(entries_.size());
  return S_OK;
}

HRESULT HtmlAttributeCollection::item(LONG index, IHTMLDOMAttribute** attribute) {
  if (!attribute) return E_POINTER;
  *attribute = nullptr;
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return S_FALSE;
  return Guarded([&] {
    const Entry& e = entries_[static_cast<size_t>(index)];
    ComPtr<IHTMLDOMAttribute> made = MakeCom<HtmlDomAttribute>(e.name, e.value);
    return OutObject(made, attribute);
  });
}

HRESULT HtmlDomAttribute::get_nodeName(BSTR* name) {
  return OutText(name_, name);
}

HRESULT HtmlDomAttribute::get_nodeValue(VARIANT* value) {
  if (!value) return E_POINTER;
  VariantInit(value);
  BSTR text = nullptr;
  HRESULT hr = OutText(value_, &text);
  if (FAILED(hr)) return hr;
  value->vt = VT_BSTR;
  value->bstrVal = text;
  return S_OK;
}

HRESULT HtmlDomAttribute::get_specified(VARIANT_BOOL* given) {
  if (!given) return E_POINTER;
  *given = VARIANT_TRUE;
  return S_OK;
}

HRESULT HtmlStyle::get_cssText(BSTR* text) {
  return Guarded([&] { return OutText(AttributeValue(*node_, u"style").value_or(u""), text); });
}

HRESULT HtmlStyle::put_cssText(BSTR text) {
  return Guarded([&] {
    if (BstrView(text).empty()) {
      RemoveAttribute(*node_, u"style");
    } else {
      SetAttribute(*node_, u"style", BstrView(text));
    }
    return S_OK;
  });
}

}  // namespace kpx::html
