// Reading one rule element of a forward profile (html:tag, sgml:declaration, kps:component,
// kps:resource, kps:block, kps:variable, sgml:comment) with its flag and replace children.
#pragma once

#include <string_view>

#include "kpx/msxml.h"
#include "profile/converter_profile.h"
#include "profile/profile_mode.h"
#include "profile/profile_rule.h"
#include "profile/profile_value_syntax.h"

namespace kpx {

// The kind of rule an element name makes; kNone for every other name.
RuleKind RuleKindOfElement(std::u16string_view name);

// Adds the rule of `element` to `mode` inside the mode's current domain and registers it.
// Unknown attributes and misplaced children are reported through the profile and skipped.
void ReadRuleElement(IXMLDOMNode* element, RuleKind kind, ProfileMode& mode,
                     const ConverterProfile& profile);

// Passes the findings about one node's values to the profile's diagnostics and empties the list.
void ReportFindings(const ConverterProfile& profile, IXMLDOMNode* node, ValueFindings& findings);

}  // namespace kpx
