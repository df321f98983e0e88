#include "profile/profile_messages.h"

namespace kpx::profile_messages {

namespace {

std::u16string Join(std::u16string_view head, std::u16string_view value,
                    std::u16string_view tail = {}) {
  std::u16string text;
  text.reserve(head.size() + value.size() + tail.size());
  text.append(head).append(value).append(tail);
  return text;
}

}  // namespace

std::u16string Expected(std::u16string_view name) {
  return Join(u"expected: ", name);
}

std::u16string InvalidNode(std::u16string_view name) {
  return Join(u"invalid node: ", name);
}

std::u16string InvalidAttribute(std::u16string_view name) {
  return Join(u"invalid attribute: ", name);
}

std::u16string InvalidAttributeValue(std::u16string_view value) {
  return Join(u"invalid attribute value: '", value, u"'");
}

std::u16string NoChildrenAllowed(std::u16string_view name) {
  return Join(u"node must have no children: ", name);
}

std::u16string ExpectedClosingParenthesis(std::u16string_view value) {
  return Join(u"expected ')' in the attribute value: '", value, u"'");
}

std::u16string InvalidHexDigit(char16_t c) {
  return Join(u"invalid hex digit: ", std::u16string_view(&c, 1));
}

std::u16string InvalidEscape(std::u16string_view character) {
  return Join(u"invalid escape: \\", character);
}

}  // namespace kpx::profile_messages
