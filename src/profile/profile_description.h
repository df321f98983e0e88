// Readable text for the parts of a loaded profile, for the profile author's check tool: names of
// kinds and domain types, name lists, outputs, one line per rule, a block per mode, and the pairs
// of a substitution table with the code units that do not print shown as U+XXXX.
#pragma once

#include <string>
#include <string_view>

#include "profile/name_list.h"
#include "profile/profile_mode.h"
#include "profile/profile_rule.h"
#include "profile/substitution_table.h"

namespace kpx {

// "html:tag" ... "sgml:comment"; "none" for kNone.
std::u16string_view RuleKindName(RuleKind kind);
// "none", "tag", "text", "attribute", "comment", "block", "any component", "container",
// "simple", "complex", "embraced", "extended".
std::u16string_view DomainTypeName(DomainType type);
// "" for unset, else the attribute value that sets it.
std::u16string_view BalanceName(Balance balance);

// "unset", "any", "a; b" or "all but a; b"; names that occur twice are shown once.
std::u16string DescribeNameList(const NameList& list);
// "unset", "none", "text", "rip", "error:NAME", "xml" or "xml:word;word" (words in bit order).
std::u16string DescribeOutput(const OutputSpec& output);
// One line: kind, names (and component types), domain, output, balance, closable, flags and
// replacements.
std::u16string DescribeRule(const ProfileRule& rule);
// The mode's rule counts by kind and by domain type, restrict entries, resource prefixes and
// tag-domain names; with_rules adds one numbered line per rule. Lines end in "\n".
std::u16string DescribeMode(const ProfileMode& mode, bool with_rules);

// Printable runs in double quotes, every other code unit as U+XXXX, separated by spaces
// ("\"a\" U+00A0 \"b\""; "\"\"" for the empty text). A double quote is shown as U+0022.
std::u16string DescribeCodeUnits(std::u16string_view text);
// The number of pairs and the key lengths, then "key -> value" per pair in the order read,
// marking pairs that an earlier pair with the same key hides.
std::u16string DescribeSubstitutions(const SubstitutionTable& table);

}  // namespace kpx
