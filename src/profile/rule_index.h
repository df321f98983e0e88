// RuleIndex: the rules of an effective mode filed by domain type and kind, and within those by
// lower-cased name and component type, so that finding the rule for a construct costs about the
// same with sixteen thousand rules as with ten.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "profile/profile_mode.h"

namespace kpx {

class RuleIndex {
 public:
  // The mode must outlive the index and not change while it is used.
  explicit RuleIndex(const ProfileMode& mode);

  // The rule of `kind` among the rules of `domain` whose domain names match `context` (for the
  // domain-less rules, domain kNone, the context is not looked at). Among the rules that match the
  // construct's name the last in mode order wins; without one, the last that matches the type
  // text by its component types. An sgml:comment rule matches on its kind alone. Only rules that
  // meet the requirements (RuleRequirement bits) count. Null when none does.
  const ProfileRule* Find(DomainType domain, RuleKind kind, std::u16string_view context,
                          std::u16string_view name, std::u16string_view type_text,
                          uint32_t requirements) const;

  // Whether any rule of the kind stands in the domain (a search there can be skipped otherwise).
  bool Has(DomainType domain, RuleKind kind) const { return !SlotOf(domain, kind).rules.empty(); }

 private:
  // The rules of one (domain, kind), by their position in the mode.
  struct Slot {
    std::vector<const ProfileRule*> rules;  // mode order
    // Lower-cased listed name -> positions in `rules`, ascending.
    std::unordered_map<std::u16string, std::vector<uint32_t>> by_name;
    std::unordered_map<std::u16string, std::vector<uint32_t>> by_type;
    // Rules whose list cannot be looked up by name (any, all-but-listed, exact case): checked one
    // by one, ascending.
    std::vector<uint32_t> other_names;
    std::vector<uint32_t> other_types;
  };
  const Slot& SlotOf(DomainType domain, RuleKind kind) const {
    return slots_[static_cast<size_t>(domain) * kRuleKindSlots + static_cast<size_t>(kind)];
  }
  static void File(std::unordered_map<std::u16string, std::vector<uint32_t>>& by_name,
                   std::vector<uint32_t>& others, const NameList& list, uint32_t position);
  // The highest position among the slot's rules whose list (names or component types) matches
  // the candidate and that qualify, or -1.
  static long Best(const Slot& slot, bool types, std::u16string_view candidate,
                   const std::u16string_view* context, uint32_t requirements);

  std::array<Slot, kDomainTypeSlots * kRuleKindSlots> slots_;
};

}  // namespace kpx
