#include "profile/rule_index.h"

#include "base/ascii_case.h"

namespace kpx {

bool MeetsRequirements(const ProfileRule& rule, std::uint32_t requirements) noexcept {
  if ((requirements & kRequireOutput) && rule.output.kind == OutputKind::kUnset) return false;
  if ((requirements & kRequireBalance) && rule.balance == Balance::kUnset) return false;
  if ((requirements & kRequireComponentTypes) && !rule.component_types.IsSet()) return false;
  if ((requirements & kRequireReplacement) && rule.replacements.empty()) return false;
  if ((requirements & kRequireNames) && !rule.names.IsSet()) return false;
  return true;
}

namespace {

// The name key of rules whose list cannot be looked up by name (no profile name holds it).
constexpr std::u16string_view kUnindexed = u"\x01";

}  // namespace

size_t RuleIndex::FoldedHash::operator()(std::u16string_view key) const noexcept {
  size_t hash = 14695981039346656037u;
  for (char16_t c : key) hash = (hash ^ AsciiToLower(c)) * 1099511628211u;
  return hash;
}

bool RuleIndex::FoldedEqual::operator()(std::u16string_view a,
                                        std::u16string_view b) const noexcept {
  return EqualsIgnoringAsciiCase(a, b);
}

RuleIndex::RuleIndex(const ProfileMode& mode) {
  for (const ProfileRule* rule : mode.rules()) {
    if (rule->kind == RuleKind::kNone) continue;
    Slot& slot = slots_[static_cast<size_t>(rule->domain_type) * kRuleKindSlots +
                        static_cast<size_t>(rule->kind)];
    const auto position = static_cast<uint32_t>(slot.rules.size());
    slot.rules.push_back(rule);
    File(slot.by_name, *rule, rule->names, position);
    File(slot.by_type, *rule, rule->component_types, position);
    for (const std::u16string& name : rule->domain_names.names()) {
      context_names_[static_cast<size_t>(rule->domain_type)].emplace(AsciiLowered(name), true);
    }
  }
}

std::u16string RuleIndex::ContextKey(DomainType domain, std::u16string_view context) const {
  const auto& names = context_names_[static_cast<size_t>(domain)];
  return names.count(context) ? AsciiLowered(context) : std::u16string();
}

void RuleIndex::File(DomainKeys& keys, const ProfileRule& rule, const NameList& list,
                     uint32_t position) {
  if (list.state() == NameListState::kUnset) return;  // matches nothing
  std::vector<std::u16string> names;
  if (list.state() == NameListState::kListed && !list.exact_case()) {
    for (const std::u16string& name : list.names()) names.push_back(AsciiLowered(name));
  } else {
    names.emplace_back(kUnindexed);
  }
  std::vector<std::u16string> domains;
  const NameList& domain = rule.domain_names;
  if (rule.domain_type != DomainType::kNone && domain.state() == NameListState::kListed &&
      !domain.exact_case()) {
    for (const std::u16string& name : domain.names()) domains.push_back(AsciiLowered(name));
  } else {
    domains.emplace_back();
  }
  for (const std::u16string& in : domains) {
    for (const std::u16string& name : names) {
      std::vector<uint32_t>& positions = keys[in][name];
      if (positions.empty() || positions.back() != position) positions.push_back(position);
    }
  }
}

long RuleIndex::Best(const Slot& slot, bool types, std::u16string_view candidate,
                     const std::u16string_view* context, uint32_t requirements) {
  const auto& keys = types ? slot.by_type : slot.by_name;
  if (keys.empty()) return -1;
  auto qualifies = [&](uint32_t position) {
    const ProfileRule& rule = *slot.rules[position];
    if (context && !rule.domain_names.Matches(*context)) return false;
    const NameList& list = types ? rule.component_types : rule.names;
    return list.Matches(candidate) && MeetsRequirements(rule, requirements);
  };
  long best = -1;
  auto scan = [&](const NameKeys* names, std::u16string_view name) {
    if (!names) return;
    auto found = names->find(name);
    if (found == names->end()) return;
    for (auto it = found->second.rbegin(); it != found->second.rend(); ++it) {
      if (static_cast<long>(*it) <= best) return;
      if (qualifies(*it)) {
        best = *it;
        return;
      }
    }
  };
  auto domain = [&](std::u16string_view key) -> const NameKeys* {
    auto found = keys.find(key);
    return found == keys.end() ? nullptr : &found->second;
  };
  const NameKeys* anywhere = domain(u"");
  const NameKeys* in_context = context ? domain(*context) : nullptr;
  auto look_up = [&](std::u16string_view name) {
    scan(anywhere, name);
    scan(in_context, name);
  };
  if (candidate.find(u'|') == std::u16string_view::npos) {
    look_up(candidate);
  } else {
    // A listed name matches an alternative that begins with it: every prefix of every alternative.
    for (size_t start = 0; start <= candidate.size();) {
      size_t bar = candidate.find(u'|', start);
      if (bar == std::u16string_view::npos) bar = candidate.size();
      for (size_t length = 1; start + length <= bar; ++length) {
        look_up(candidate.substr(start, length));
      }
      start = bar + 1;
    }
  }
  look_up(kUnindexed);
  return best;
}

bool RuleIndex::MayMatch(DomainType domain, RuleKind kind, std::u16string_view context) const {
  const Slot& slot = SlotOf(domain, kind);
  if (slot.rules.empty()) return false;
  for (const DomainKeys* keys : {&slot.by_name, &slot.by_type}) {
    if (keys->count(std::u16string_view()) || keys->count(context)) return true;
  }
  // sgml:comment rules are filed by neither list.
  return kind == RuleKind::kSgmlComment;
}

const ProfileRule* RuleIndex::Find(DomainType domain, RuleKind kind, std::u16string_view context,
                                   std::u16string_view name, std::u16string_view type_text,
                                   uint32_t requirements) const {
  const Slot& slot = SlotOf(domain, kind);
  if (slot.rules.empty()) return nullptr;
  const std::u16string_view* in = domain == DomainType::kNone ? nullptr : &context;
  if (kind == RuleKind::kSgmlComment) {
    for (auto it = slot.rules.rbegin(); it != slot.rules.rend(); ++it) {
      if ((!in || (*it)->domain_names.Matches(context)) && MeetsRequirements(**it, requirements)) {
        return *it;
      }
    }
    return nullptr;
  }
  if (!name.empty()) {
    const long best = Best(slot, false, name, in, requirements);
    if (best >= 0) return slot.rules[static_cast<size_t>(best)];
  }
  if (!type_text.empty()) {
    const long best = Best(slot, true, type_text, in, requirements);
    if (best >= 0) return slot.rules[static_cast<size_t>(best)];
  }
  return nullptr;
}

}  // namespace kpx
