// The element names the back transformation's passes tell apart, found with one look-up in the
// element table per tag instead of a comparison per name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "markup/element_table.h"

namespace kpx {

enum class TagKind : std::uint8_t {
  kOther,
  kA,
  kBody,
  kComment,
  kFont,
  kForm,
  kHead,
  kHtml,
  kImg,
  kInput,
  kKpsCData,
  kLink,
  kMeta,
  kOption,
  kP,
  kScript,
  kSelect,
  kSpan,
  kStyle,
  kTitle,
};

struct TagName {
  TagKind kind = TagKind::kOther;
  std::uint32_t properties = 0;  // the element table's bits; 0 for a name it does not hold
  bool known = false;            // the element table holds the name
};

namespace tag_names_detail {
// The kind of each element table entry, by its index; the kind of a name the table lacks.
const TagKind* KindsByEntry();
TagKind KindOfUnknown(std::u16string_view name);
}  // namespace tag_names_detail

// The kind and properties of an element name in any ASCII letter case.
inline TagName ClassifyTagName(std::u16string_view name) {
  const ElementEntry* entry = LookUpElement(name);
  if (!entry) return {tag_names_detail::KindOfUnknown(name), 0, false};
  const auto index = static_cast<std::size_t>(entry - ElementTable().data());
  return {tag_names_detail::KindsByEntry()[index], entry->properties, true};
}

}  // namespace kpx
