// ProfileMode: the rules of one "target" of a converter profile, in document order and indexed by
// kind and by domain type, with the mode's restrictions and tag-domain names.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "profile/name_list.h"
#include "profile/profile_rule.h"

namespace kpx {

class ProfileMode {
 public:
  explicit ProfileMode(std::u16string_view name);
  ProfileMode(const ProfileMode&) = delete;
  ProfileMode& operator=(const ProfileMode&) = delete;

  const std::u16string& name() const noexcept { return name_; }

  // Every rule of the mode in document order (the order merging keeps).
  const std::vector<ProfileRule*>& rules() const noexcept { return rules_; }
  const std::vector<ProfileRule*>& RulesOfDomain(DomainType type) const noexcept {
    return by_domain_[static_cast<size_t>(type)];
  }
  // Rules whose domain type is none.
  const std::vector<ProfileRule*>& DomainlessRulesOfKind(RuleKind kind) const noexcept {
    return domainless_by_kind_[static_cast<size_t>(kind)];
  }
  // Rules of the kind, whatever their domain.
  const std::vector<ProfileRule*>& RulesOfKind(RuleKind kind) const noexcept {
    return by_kind_[static_cast<size_t>(kind)];
  }

  // Takes in a rule (owned by the mode from now on, with its mode set to this one) and appends it
  // to the rule list. It enters the indexed lists only through Register.
  ProfileRule& AppendRule(ProfileRule rule);
  // Files the rule under its kind, its domain type and, without a domain, among the domain-less
  // rules of its kind. The rule must belong to this mode.
  void Register(ProfileRule& rule);

  // The union of the names of the mode's tag domains.
  NameList tag_domain_names;
  // The domain whose rules are being read (none between domain elements).
  NameList current_domain_names;
  DomainType current_domain_type = DomainType::kNone;
  // From html:restrict, in document order.
  std::vector<RestrictEntry> restrict_entries;
  // From kps:restrict.
  NameList resource_prefixes;

 private:
  std::u16string name_;
  std::deque<ProfileRule> storage_;  // stable addresses for the lists below
  std::vector<ProfileRule*> rules_;
  std::array<std::vector<ProfileRule*>, kDomainTypeSlots> by_domain_;
  std::array<std::vector<ProfileRule*>, kRuleKindSlots> domainless_by_kind_;
  std::array<std::vector<ProfileRule*>, kRuleKindSlots> by_kind_;
};

}  // namespace kpx
