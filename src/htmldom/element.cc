// The element object of the HTML document stand-in: identity, interfaces, and the members every
// element answers.
#include "htmldom/element.h"

#include "base/status.h"
#include "com/bstr.h"
#include "com/variant_holder.h"
#include "htmldom/collections.h"
#include "htmldom/com_util.h"
#include "htmldom/parser.h"
#include "htmldom/ranges.h"
#include "htmldom/serializer.h"

namespace kpx::html {

namespace {

// Identifies the stand-in's own element objects to QueryInterface (never handed to callers).
constexpr IID kElementObjectIID = {
    0x4C8B2F17, 0x6D3A, 0x4E92, {0xB5, 0x71, 0x0A, 0xE4, 0x3D, 0x68, 0x9C, 0x25}};

// The names an attribute can have when read from text (no white space, "/" or ">", and "=" only
// first); others could not be written back as one attribute and are refused.
bool IsAttributeName(std::u16string_view name) {
  if (name.empty()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'/' ||
        c == u'>' || (c == u'=' && i > 0)) {
      return false;
    }
  }
  return true;
}

}  // namespace

HtmlElement::HtmlElement(StatePtr state, NodePtr node)
    : state_(std::move(state)), node_(std::move(node)) {
  node_->wrapper = this;
}

HtmlElement::~HtmlElement() {
  if (node_->wrapper == this) node_->wrapper = nullptr;
}

ComPtr<HtmlElement> HtmlElement::Wrap(const StatePtr& state, const NodePtr& node) {
  if (node->wrapper) return ComPtr<HtmlElement>(static_cast<HtmlElement*>(node->wrapper));
  return ComPtr<HtmlElement>::Adopt(new HtmlElement(state, node));
}

ComPtr<HtmlElement> HtmlElement::From(IUnknown* element) {
  ComPtr<HtmlElement> out;
  if (element) element->QueryInterface(kElementObjectIID, out.PutVoid());
  return out;
}

HRESULT HtmlElement::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid == kElementObjectIID) {
    *ppv = this;
    AddRef();
    return S_OK;
  }
  const Node& n = *node_;
  if ((riid == IHTMLTable::kIID && !n.Is(u"table")) ||
      (riid == IHTMLTableRow::kIID && !n.Is(u"tr")) ||
      (riid == IHTMLTableCell::kIID && !n.Is(u"td") && !n.Is(u"th")) ||
      (riid == IHTMLBodyElement::kIID && BodyOf(*state_) != node_)) {
    return E_NOINTERFACE;
  }
  return DispatchObject::QueryInterface(riid, ppv);
}

HRESULT HtmlElement::setAttribute(BSTR name, VARIANT value, LONG) {
  if (!IsAttributeName(BstrView(name))) return E_INVALIDARG;
  VariantHolder text;
  HRESULT hr = VariantChangeType(text.Get(), &value, 0, VT_BSTR);
  if (FAILED(hr)) return hr;
  return Guarded([&] {
    SetAttribute(*node_, BstrView(name), BstrView(text.Get()->bstrVal));
    return S_OK;
  });
}

HRESULT HtmlElement::getAttribute(BSTR name, LONG, VARIANT* value) {
  if (!value) return E_POINTER;
  VariantInit(value);
  return Guarded([&] {
    std::optional<std::u16string> found = AttributeValue(*node_, BstrView(name));
    if (!found) {
      value->vt = VT_NULL;
      return S_OK;
    }
    value->bstrVal = AllocBstr(*found);
    value->vt = VT_BSTR;
    return S_OK;
  });
}

HRESULT HtmlElement::removeAttribute(BSTR name, LONG, VARIANT_BOOL* removed) {
  return Guarded([&] {
    bool done = RemoveAttribute(*node_, BstrView(name));
    if (removed) *removed = done ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

HRESULT HtmlElement::get_tagName(BSTR* name) {
  return Guarded([&] { return OutText(AsciiUpper(node_->name), name); });
}

HRESULT HtmlElement::get_parentElement(IHTMLElement** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  Node* p = node_->parent;
  if (!p || !p->IsElement()) return S_FALSE;
  return Guarded(
      [&] { return OutObject(Wrap(state_, p->shared_from_this())->AsElement(), parent); });
}

HRESULT HtmlElement::get_style(IHTMLStyle** style) {
  if (!style) return E_POINTER;
  *style = nullptr;
  return Guarded([&] { return OutObject(ComPtr<IHTMLStyle>(MakeCom<HtmlStyle>(node_)), style); });
}

HRESULT HtmlElement::get_document(IDispatch** document) {
  if (!document) return E_POINTER;
  *document = state_->document;
  if (!*document) return S_FALSE;
  (*document)->AddRef();
  return S_OK;
}

HRESULT HtmlElement::contains(IHTMLElement* child, VARIANT_BOOL* result) {
  if (!result) return E_POINTER;
  ComPtr<HtmlElement> object = From(child);
  if (!object) return E_INVALIDARG;
  *result = IsInside(*object->node_, *node_) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT HtmlElement::put_innerHTML(BSTR html) {
  if (IsVoidElement(node_->name)) return E_INVALIDARG;
  return Guarded([&] {
    const std::u16string_view text = BstrView(html);
    if (InnerHtml(*node_) == text) return S_OK;
    std::vector<NodePtr> nodes;
    if (IsRawTextElement(node_->name)) {
      if (!text.empty()) {
        nodes.push_back(MakeNode(NodeKind::kText));
        nodes.back()->text = std::u16string(text);
      }
    } else {
      nodes = ParseFragment(text, Depth(*node_) + 1);
    }
    ReplaceChildren(*node_, std::move(nodes));
    return S_OK;
  });
}

HRESULT HtmlElement::get_innerHTML(BSTR* html) {
  return Guarded([&] { return OutText(InnerHtml(*node_), html); });
}

HRESULT HtmlElement::put_innerText(BSTR text) {
  if (IsVoidElement(node_->name)) return E_INVALIDARG;
  return Guarded([&] {
    const std::u16string raw =
        IsRawTextElement(node_->name) ? std::u16string(BstrView(text)) : EscapeText(BstrView(text));
    const auto& children = node_->children;
    if (raw.empty() ? children.empty()
                    : (children.size() == 1 && children[0]->kind == NodeKind::kText &&
                       children[0]->text == raw)) {
      return S_OK;
    }
    std::vector<NodePtr> nodes;
    if (!raw.empty()) {
      nodes.push_back(MakeNode(NodeKind::kText));
      nodes.back()->text = raw;
    }
    ReplaceChildren(*node_, std::move(nodes));
    return S_OK;
  });
}

HRESULT HtmlElement::get_innerText(BSTR* text) {
  return Guarded([&] { return OutText(InnerText(*node_), text); });
}

HRESULT HtmlElement::put_outerHTML(BSTR html) {
  Node* parent = node_->parent;
  if (!parent) return E_UNEXPECTED;
  return Guarded([&] {
    std::vector<NodePtr> nodes = ParseFragment(BstrView(html), Depth(*node_));
    size_t index = ChildIndex(*node_);
    RemoveChild(*parent, index);
    for (NodePtr& n : nodes) InsertChild(*parent, index++, std::move(n));
    return S_OK;
  });
}

HRESULT HtmlElement::get_outerHTML(BSTR* html) {
  return Guarded([&] { return OutText(OuterHtml(*node_), html); });
}

HRESULT HtmlElement::get_children(IHTMLElementCollection** children) {
  if (!children) return E_POINTER;
  *children = nullptr;
  return Guarded([&] {
    std::vector<NodePtr> elements;
    for (const NodePtr& child : node_->children) {
      if (child->IsElement()) elements.push_back(child);
    }
    return OutObject(
        ComPtr<IHTMLElementCollection>(MakeCom<HtmlElementCollection>(state_, std::move(elements))),
        children);
  });
}

HRESULT HtmlElement::get_all(IHTMLElementCollection** descendants) {
  if (!descendants) return E_POINTER;
  *descendants = nullptr;
  return Guarded([&] {
    return OutObject(ComPtr<IHTMLElementCollection>(
                         MakeCom<HtmlElementCollection>(state_, DescendantElements(*node_))),
                     descendants);
  });
}

HRESULT HtmlElement::get_attributes(IHTMLAttributeCollection** attributes) {
  if (!attributes) return E_POINTER;
  *attributes = nullptr;
  return Guarded([&] {
    std::vector<HtmlAttributeCollection::Entry> entries;
    for (const Attribute& a : node_->attributes) {
      entries.push_back({a.name, DecodeReferences(a.raw_value)});
    }
    return OutObject(
        ComPtr<IHTMLAttributeCollection>(MakeCom<HtmlAttributeCollection>(std::move(entries))),
        attributes);
  });
}

HRESULT HtmlElement::createTextRange(IHTMLTxtRange** range) {
  if (!range) return E_POINTER;
  *range = nullptr;
  return Guarded([&] {
    return OutObject(ComPtr<IHTMLTxtRange>(
                         MakeCom<HtmlTextRange>(state_, ContentStart(node_), ContentEnd(node_))),
                     range);
  });
}

HRESULT HtmlElement::createControlRange(IHTMLControlRange** range) {
  if (!range) return E_POINTER;
  *range = nullptr;
  return Guarded([&] {
    return OutObject(
        ComPtr<IHTMLControlRange>(MakeCom<HtmlControlRange>(state_, std::vector<NodePtr>{})),
        range);
  });
}

HRESULT HtmlElement::PutText(std::u16string_view attribute, BSTR value) {
  return Guarded([&] {
    if (BstrView(value).empty()) {
      RemoveAttribute(*node_, attribute);
    } else {
      SetAttribute(*node_, attribute, BstrView(value));
    }
    return S_OK;
  });
}

HRESULT HtmlElement::GetText(std::u16string_view attribute, BSTR* value) {
  return Guarded([&] { return OutText(AttributeValue(*node_, attribute).value_or(u""), value); });
}

}  // namespace kpx::html
