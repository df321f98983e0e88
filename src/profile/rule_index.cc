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

RuleIndex::RuleIndex(const ProfileMode& mode) {
  for (const ProfileRule* rule : mode.rules()) {
    if (rule->kind == RuleKind::kNone) continue;
    Slot& slot = slots_[static_cast<size_t>(rule->domain_type) * kRuleKindSlots +
                        static_cast<size_t>(rule->kind)];
    const auto position = static_cast<uint32_t>(slot.rules.size());
    slot.rules.push_back(rule);
    File(slot.by_name, slot.other_names, rule->names, position);
    File(slot.by_type, slot.other_types, rule->component_types, position);
  }
}

void RuleIndex::File(std::unordered_map<std::u16string, std::vector<uint32_t>>& by_name,
                     std::vector<uint32_t>& others, const NameList& list, uint32_t position) {
  switch (list.state()) {
    case NameListState::kUnset:
      return;  // matches nothing
    case NameListState::kListed:
      if (!list.exact_case()) {
        for (const std::u16string& name : list.names()) {
          std::vector<uint32_t>& positions = by_name[AsciiLowered(name)];
          if (positions.empty() || positions.back() != position) positions.push_back(position);
        }
        return;
      }
      break;
    case NameListState::kAny:
    case NameListState::kAllButListed:
      break;
  }
  others.push_back(position);
}

long RuleIndex::Best(const Slot& slot, bool types, std::u16string_view candidate,
                     const std::u16string_view* context, uint32_t requirements) {
  auto qualifies = [&](uint32_t position) {
    const ProfileRule& rule = *slot.rules[position];
    if (context && !rule.domain_names.Matches(*context)) return false;
    const NameList& list = types ? rule.component_types : rule.names;
    return list.Matches(candidate) && MeetsRequirements(rule, requirements);
  };
  long best = -1;
  auto look_up = [&](std::u16string_view key) {
    const auto& map = types ? slot.by_type : slot.by_name;
    auto found = map.find(AsciiLowered(key));
    if (found == map.end()) return;
    for (auto it = found->second.rbegin(); it != found->second.rend(); ++it) {
      if (static_cast<long>(*it) <= best) return;
      if (qualifies(*it)) {
        best = *it;
        return;
      }
    }
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
  const std::vector<uint32_t>& others = types ? slot.other_types : slot.other_names;
  for (auto it = others.rbegin(); it != others.rend(); ++it) {
    if (static_cast<long>(*it) <= best) break;
    if (qualifies(*it)) {
      best = *it;
      break;
    }
  }
  return best;
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
