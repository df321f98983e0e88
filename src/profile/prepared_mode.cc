#include "profile/prepared_mode.h"

#include <iterator>
#include <utility>

#include "base/ascii_case.h"

namespace kpx {

PreparedMode::PreparedMode(const ProfileMode& mode) : mode_(mode), index_(mode) {
  constexpr std::pair<DomainType, OutputKind> kMapped[] = {
      {DomainType::kAttribute, OutputKind::kRip},
      {DomainType::kAttribute, OutputKind::kXml},
      {DomainType::kText, OutputKind::kXml},
      {DomainType::kComment, OutputKind::kXml},
  };
  for (const auto& [domain, output] : kMapped) {
    for (const ProfileRule* rule : mode.RulesOfDomain(domain)) {
      if (rule->output.kind == output) domain_rules_.emplace(Key(domain, rule->kind, output), rule);
    }
  }
  for (const ProfileRule* rule : mode.rules()) {
    if (rule->domain_type != DomainType::kNone || rule->kind != RuleKind::kHtmlTag) continue;
    if (rule->names.state() != NameListState::kListed) continue;
    for (const std::u16string& name : rule->names.names()) {
      if (rule->balance == Balance::kDeny) denied_.insert(AsciiLowered(name));
      if (rule->balance == Balance::kValidate || rule->balance == Balance::kValidateExact) {
        validated_.insert(AsciiLowered(name));
      }
    }
  }
  const NameList& tag_domains = mode.tag_domain_names;
  if (tag_domains.state() == NameListState::kListed && !tag_domains.exact_case()) {
    for (const std::u16string& name : tag_domains.names()) {
      tag_domain_names_.insert(AsciiLowered(name));
    }
  }
  components_in_attributes_ =
      DomainRule(DomainType::kAttribute, RuleKind::kComponent, OutputKind::kRip) != nullptr;
}

const ProfileRule* PreparedMode::DomainRule(DomainType domain, RuleKind kind,
                                            OutputKind output) const {
  auto [first, last] = domain_rules_.equal_range(Key(domain, kind, output));
  return first == last ? nullptr : std::prev(last)->second;
}

bool PreparedMode::Denied(std::u16string_view lowered_tag) const {
  return denied_.count(std::u16string(lowered_tag)) != 0;
}

bool PreparedMode::Validated(std::u16string_view lowered_tag) const {
  return validated_.count(std::u16string(lowered_tag)) != 0;
}

bool PreparedMode::AttributeQualifies(std::u16string_view tag,
                                      std::u16string_view attribute) const {
  if (mode_.restrict_entries.empty()) return true;
  for (const RestrictEntry& entry : mode_.restrict_entries) {
    if (entry.tag_names.Matches(tag) && entry.attribute_names.Matches(attribute)) return true;
  }
  return false;
}

bool PreparedMode::InTagDomainNames(std::u16string_view name) const {
  const NameList& names = mode_.tag_domain_names;
  if (names.state() != NameListState::kListed || names.exact_case() ||
      name.find(u'|') != std::u16string_view::npos) {
    return names.Matches(name);
  }
  return tag_domain_names_.count(AsciiLowered(name)) != 0;
}

const ProfileRule& PreparedMode::BuiltInTagRule() {
  static const ProfileRule rule = [] {
    ProfileRule made;
    made.kind = RuleKind::kHtmlTag;
    made.output.kind = OutputKind::kXml;
    made.output.options = kOptionSimulate;
    made.names.set_state(NameListState::kAny);
    return made;
  }();
  return rule;
}

}  // namespace kpx
