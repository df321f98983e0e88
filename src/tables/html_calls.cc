// Calls into the editor's HTML document for the table editing.
#include "tables/html_calls.h"

#include "base/ascii_case.h"
#include "com/variant_holder.h"

namespace kpx::tables {

std::optional<std::u16string> ReadAttribute(IHTMLElement* element, std::u16string_view name) {
  Bstr attribute(name);
  VariantHolder value;
  Check(element->getAttribute(attribute.Get(), 0, value.Get()));
  if (value.Get()->vt != VT_BSTR) return std::nullopt;
  return std::u16string(BstrView(value.Get()->bstrVal));
}

void WriteAttribute(IHTMLElement* element, std::u16string_view name, std::u16string_view value) {
  Bstr attribute(name);
  Check(element->setAttribute(attribute.Get(), VariantHolder::Text(value).Ref(), 0));
}

void DeleteAttribute(IHTMLElement* element, std::u16string_view name) {
  Bstr attribute(name);
  VARIANT_BOOL removed = VARIANT_FALSE;
  Check(element->removeAttribute(attribute.Get(), 0, &removed));
}

std::u16string TagName(IHTMLElement* element) {
  return ReadText(element, &IHTMLElement::get_tagName);
}

ComPtr<IHTMLElement> ParentElement(IHTMLElement* element) {
  ComPtr<IHTMLElement> parent;
  Check(element->get_parentElement(parent.Put()));
  return parent;
}

std::vector<ComPtr<IDispatch>> Items(IHTMLElementCollection* collection) {
  LONG length = 0;
  Check(collection->get_length(&length));
  std::vector<ComPtr<IDispatch>> items;
  items.reserve(static_cast<size_t>(length > 0 ? length : 0));
  for (LONG i = 0; i < length; ++i) {
    ComPtr<IDispatch> item;
    Check(collection->item(i, item.Put()));
    if (item) items.push_back(std::move(item));
  }
  return items;
}

bool SameObject(IUnknown* a, IUnknown* b) {
  if (!a || !b) return a == b;
  ComPtr<IUnknown> ua, ub;
  a->QueryInterface(IUnknown::kIID, ua.PutVoid());
  b->QueryInterface(IUnknown::kIID, ub.PutVoid());
  return ua && ua.Get() == ub.Get();
}

std::u16string Normalized(std::u16string_view value) {
  auto space = [](char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
  };
  size_t begin = 0, end = value.size();
  while (begin < end && space(value[begin])) ++begin;
  while (end > begin && space(value[end - 1])) --end;
  return AsciiLowered(value.substr(begin, end - begin));
}

}  // namespace kpx::tables
