// Binding a serviceable tag of the template to a component of the host's page model, and the
// page XML elements that stand for components, blocks and resources.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kpx/host.h"

namespace kpx {

// A kpsId value as a component identifier: digits only and at most 2147483647; anything else
// (or nothing) is 0, "no identifier".
LONG NumericComponentId(std::u16string_view value) noexcept;

struct BoundComponent {
  ComPtr<HostPageModel> model;  // null: the tag binds to nothing
  LONG id = 0;
  std::u16string name;
  std::u16string element;  // the host's element name (or its type when it gives none)
  bool container = false;
};

// Looks components up through the host. scopes are the host objects of the enclosing contexts,
// innermost last; page is where identifiers are looked up.
BoundComponent BindComponent(std::span<const ComPtr<HostPageModel>> scopes, HostPageModel* page,
                             std::u16string_view name, LONG id);

// Whether a page or component has at least one child component.
bool HasChildComponents(HostPageModel* model);

// A component, block or resource element as the writer writes it. An element name that is not
// an XML name without prefix gives a Block whose kpsType holds the name; values are escaped as in
// the forward page XML (the quote double-escaping switch applies), and characters XML forbids
// become U+FFFD.
struct ElementParts {
  std::u16string element;
  LONG id = 0;          // 0: no id attribute
  std::u16string name;  // empty: no name attribute
  std::vector<std::pair<std::u16string_view, std::u16string>> attributes;  // in order, after name
};

// "<E id=.. name=.. a=..>" ("/>" when empty).
std::u16string StartElement(const ElementParts& parts, bool empty = false);
// The end tag that matches StartElement(parts).
std::u16string EndElement(const ElementParts& parts);

}  // namespace kpx
