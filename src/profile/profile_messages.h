// The texts of the profile loaders' findings. The converter's sinks put their prefix before them.
#pragma once

#include <string>
#include <string_view>

namespace kpx::profile_messages {

// "expected: NAME": the root element or a root child is not the element the format needs.
std::u16string Expected(std::u16string_view name);
// "invalid node: NAME": an element that does not belong where it stands.
std::u16string InvalidNode(std::u16string_view name);
// "invalid attribute: NAME"
std::u16string InvalidAttribute(std::u16string_view name);
// "invalid attribute value: 'VALUE'"
std::u16string InvalidAttributeValue(std::u16string_view value);
// "node must have no children: NAME"
std::u16string NoChildrenAllowed(std::u16string_view name);
// "expected ')' in the attribute value: 'VALUE'": a negated name list without its ")".
std::u16string ExpectedClosingParenthesis(std::u16string_view value);
// A replace element with both a prefix and a suffix.
inline constexpr std::u16string_view kPrefixAndSuffix =
    u"prefix and suffix can not be specified both";

// Reverse profiles.
inline constexpr std::u16string_view kInvalidSubstPair = u"invalid subst pair";
// "invalid hex digit: C"
std::u16string InvalidHexDigit(char16_t c);
// "invalid escape: \C"; a backslash at the end of a value has no C.
std::u16string InvalidEscape(std::u16string_view character);

}  // namespace kpx::profile_messages
