#include "textutil/content_type_meta.h"

#include <algorithm>

#include "base/ascii_case.h"
#include "textutil/fixed_texts.h"

namespace kpx {

namespace {

bool HasValue(const TagRecord& tag, std::u16string_view name, std::u16string_view value) {
  const AttributeRecord* attribute = tag.attributes.Find(name);
  return attribute != nullptr && EqualsIgnoringAsciiCase(attribute->value.View(), value);
}

}  // namespace

bool IsContentTypeMeta(const TagRecord& tag) {
  return HasValue(tag, u"http-equiv", u"content-type") || HasValue(tag, u"name", u"content-type");
}

bool SaysXhtmlMediaType(const MarkupString& value) {
  if (value.IsEmpty()) return false;
  const std::u16string_view media_type = page_texts::kXhtmlMediaType;
  const std::size_t length = std::min(value.Length(), media_type.size());
  const std::u16string_view head = value.View().substr(0, length);
  const std::u16string_view expected = media_type.substr(0, length);
  return value.CaseSensitive() ? head == expected : EqualsIgnoringAsciiCase(head, expected);
}

std::u16string XhtmlContentValue(const MarkupString& old_value) {
  std::u16string value = u"\"";
  value.append(page_texts::kXhtmlMediaType);
  const std::size_t parameters = old_value.Find(u';');
  if (parameters != MarkupString::npos) value.append(old_value.View().substr(parameters));
  value.push_back(u'"');
  return value;
}

}  // namespace kpx
