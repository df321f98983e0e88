// The element names the back transformation's passes tell apart, found with one look-up in the
// element table per tag instead of a comparison per name.
#pragma once

#include <cstdint>
#include <string_view>

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

// The kind and properties of an element name in any ASCII letter case.
TagName ClassifyTagName(std::u16string_view name);

}  // namespace kpx
