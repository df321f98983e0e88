#include "profile/profile_mode.h"

#include <utility>

namespace kpx {

ProfileMode::ProfileMode(std::u16string_view name) : name_(name) {
  // Filled from profile attributes, so compared without regard to case.
  tag_domain_names.set_exact_case(false);
  resource_prefixes.set_exact_case(false);
}

ProfileRule& ProfileMode::AppendRule(ProfileRule rule) {
  ProfileRule& stored = storage_.emplace_back(std::move(rule));
  stored.mode = this;
  rules_.push_back(&stored);
  return stored;
}

void ProfileMode::Register(ProfileRule& rule) {
  by_kind_[static_cast<size_t>(rule.kind)].push_back(&rule);
  by_domain_[static_cast<size_t>(rule.domain_type)].push_back(&rule);
  if (rule.domain_type == DomainType::kNone) {
    domainless_by_kind_[static_cast<size_t>(rule.kind)].push_back(&rule);
  }
}

}  // namespace kpx
