// Applying a profile rule to the page node of the construct it governs: node flags, flag
// attributes, enclosed source text, local numbering, letter case and replacements.
#pragma once

#include <cstdint>

#include "page/page_node.h"
#include "profile/profile_rule.h"

namespace kpx {

inline constexpr std::u16string_view kLocalOrderAttribute = u"kpsLocalOrder";

// Applies `rule` with the output options `options` (the rule's own, or those of a copy the parser
// made: the rule itself never changes). primary: the call for the construct's node; markup: the
// call for its closing markup (both for a construct without one). The node's source range is its
// text from the opening markup to the end of the closing markup as far as known.
void ApplyRule(PageNode& node, const ProfileRule& rule, uint32_t options, bool primary,
               bool markup);

}  // namespace kpx
