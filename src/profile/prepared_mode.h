// PreparedMode: what a parse needs of its effective mode, made once before the parse: the rule
// index, the domain rule map that placeholders use, the balance lists, and the restrictions.
// Nothing in it changes during the parse, so one conversion never affects the next.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>

#include "profile/profile_mode.h"
#include "profile/rule_index.h"

namespace kpx {

class PreparedMode {
 public:
  // The mode must outlive the prepared mode and not change while it is used.
  explicit PreparedMode(const ProfileMode& mode);

  const ProfileMode& Mode() const { return mode_; }
  const RuleIndex& Index() const { return index_; }
  bool HasRules() const { return !mode_.rules().empty(); }

  // The last rule of the domain rule map for (domain, kind, output), or null. The map holds the
  // rules of the attribute domain with output rip or xml and those of the text and comment
  // domains with output xml.
  const ProfileRule* DomainRule(DomainType domain, RuleKind kind, OutputKind output) const;

  // Balance lists, by lower-cased tag name.
  bool Denied(std::u16string_view lowered_tag) const;
  bool Validated(std::u16string_view lowered_tag) const;
  // Whether the attribute domain has a kps:component rule with output rip (embraced components
  // are then looked for in attribute values).
  bool LooksForComponentsInAttributes() const { return components_in_attributes_; }

  // Whether template constructs are looked for in this attribute of this tag.
  bool AttributeQualifies(std::u16string_view tag, std::u16string_view attribute) const;
  bool ResourcePrefixListed(std::u16string_view prefix) const {
    return mode_.resource_prefixes.Matches(prefix);
  }

  // Whether the name is among the mode's tag-domain names.
  bool InTagDomainNames(std::u16string_view name) const;

  // The rule for an HTML tag of the mode's tag-domain names that no rule governs: xml, simulate.
  static const ProfileRule& BuiltInTagRule();

 private:
  static int Key(DomainType domain, RuleKind kind, OutputKind output) {
    return static_cast<int>(output) + 8 * (static_cast<int>(kind) + 12 * static_cast<int>(domain));
  }

  const ProfileMode& mode_;
  RuleIndex index_;
  std::multimap<int, const ProfileRule*> domain_rules_;
  std::unordered_set<std::u16string> denied_;
  std::unordered_set<std::u16string> validated_;  // validate and validate:exact alike
  bool components_in_attributes_ = false;
  std::unordered_set<std::u16string> tag_domain_names_;  // lower-cased, when the list is listed
};

}  // namespace kpx
