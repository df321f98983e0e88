// Component look-ups and component elements.
#include "reverse/component_binding.h"

#include <charconv>

#include "base/ascii_case.h"
#include "com/bstr.h"
#include "page/xml_text.h"

namespace kpx {

namespace {

std::u16string ReadText(HRESULT (HostPageModel::*getter)(BSTR*), HostPageModel* model) {
  Bstr text;
  if (FAILED((model->*getter)(text.Put()))) return {};
  return std::u16string(text.View());
}

BoundComponent Describe(ComPtr<HostPageModel> model) {
  BoundComponent bound;
  LONG id = 0;
  if (SUCCEEDED(model->GetId(&id))) bound.id = id;
  bound.name = ReadText(&HostPageModel::GetName, model.Get());
  bound.element = ReadText(&HostPageModel::GetElementName, model.Get());
  if (bound.element.empty()) bound.element = ReadText(&HostPageModel::GetTypeName, model.Get());
  VARIANT_BOOL container = VARIANT_FALSE;
  bound.container = SUCCEEDED(model->GetIsContainer(&container)) && container != VARIANT_FALSE;
  bound.model = std::move(model);
  return bound;
}

// The element name that may be written: an XML name without prefix (a prefix would need a
// declaration that the page does not carry).
bool IsWritableElementName(std::u16string_view name) {
  return IsXmlName(name) && name.find(u':') == std::u16string_view::npos;
}

}  // namespace

LONG NumericComponentId(std::u16string_view value) noexcept {
  if (value.empty() || value.size() > 10) return 0;
  long long n = 0;
  for (char16_t c : value) {
    if (c < u'0' || c > u'9') return 0;
    n = n * 10 + (c - u'0');
  }
  return n <= 2147483647 ? static_cast<LONG>(n) : 0;
}

BoundComponent BindComponent(std::span<const ComPtr<HostPageModel>> scopes, HostPageModel* page,
                             std::u16string_view name, LONG id) {
  if (!name.empty()) {
    Bstr key(name);
    for (auto it = scopes.rbegin(); it != scopes.rend(); ++it) {
      ComPtr<HostPageModel> child;
      if (!*it || FAILED((*it)->FindComponentByName(key.Get(), child.Put())) || !child) continue;
      LONG child_id = 0;
      if (id != 0 && (FAILED(child->GetId(&child_id)) || child_id != id)) continue;
      return Describe(std::move(child));
    }
  }
  if (id != 0 && page) {
    ComPtr<HostPageModel> found;
    if (SUCCEEDED(page->FindComponentById(id, found.Put())) && found) {
      return Describe(std::move(found));
    }
  }
  return {};
}

bool HasChildComponents(HostPageModel* model) {
  LONG count = 0;
  return model && SUCCEEDED(model->GetComponentCount(&count)) && count > 0;
}

std::u16string StartElement(const ElementParts& parts, bool empty) {
  const bool writable = IsWritableElementName(parts.element);
  std::u16string out = u"<";
  out += writable ? std::u16string_view(parts.element) : std::u16string_view(u"Block");
  auto attribute = [&out](std::u16string_view name, std::u16string_view value) {
    out += u' ';
    out += name;
    out += u"=\"";
    AppendXmlAttributeValue(out, value);
    out += u'"';
  };
  if (!writable && !parts.element.empty()) attribute(u"kpsType", parts.element);
  if (parts.id != 0) {
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, parts.id).ptr;
    std::u16string id;
    for (const char* d = digits; d != end; ++d) id += static_cast<char16_t>(*d);
    attribute(u"id", id);
  }
  if (!parts.name.empty()) attribute(u"name", parts.name);
  for (const auto& [name, value] : parts.attributes) attribute(name, value);
  out += empty ? u"/>" : u">";
  return out;
}

std::u16string EndElement(const ElementParts& parts) {
  std::u16string out = u"</";
  out += IsWritableElementName(parts.element) ? std::u16string_view(parts.element)
                                              : std::u16string_view(u"Block");
  out += u'>';
  return out;
}

}  // namespace kpx
