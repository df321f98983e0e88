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
  // Whether a rule of the kind in the domain may match in a context of that name: its domain
  // names it or lists no names.
  bool MayMatch(DomainType domain, RuleKind kind, std::u16string_view context) const;

  // A context name as the rules of a domain type tell it apart: the lower-cased name when some
  // rule's domain names it (listed or excluded), else empty. Two contexts that give the same key
  // get the same answer from every search in that domain type.
  std::u16string ContextKey(DomainType domain, std::u16string_view context) const;

 private:
  // The rules of one (domain, kind), by their position in the mode, filed under keys made of a
  // domain key (a lower-cased name of the rule's domain, or empty when the domain does not list
  // names) and a name key (a lower-cased listed name, or kUnindexed when the list cannot be
  // looked up by name: any, all-but-listed, exact case). Each key's positions ascend.
  // Looked up with any view and letter case: stored keys are lower-cased.
  struct FoldedHash {
    using is_transparent = void;
    size_t operator()(std::u16string_view key) const noexcept;
  };
  struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const noexcept;
  };
  using NameKeys =
      std::unordered_map<std::u16string, std::vector<uint32_t>, FoldedHash, FoldedEqual>;
  using DomainKeys = std::unordered_map<std::u16string, NameKeys, FoldedHash, FoldedEqual>;
  struct Slot {
    std::vector<const ProfileRule*> rules;  // mode order
    DomainKeys by_name;
    DomainKeys by_type;
  };
  const Slot& SlotOf(DomainType domain, RuleKind kind) const {
    return slots_[static_cast<size_t>(domain) * kRuleKindSlots + static_cast<size_t>(kind)];
  }
  static void File(DomainKeys& keys, const ProfileRule& rule, const NameList& list,
                   uint32_t position);
  // The highest position among the slot's rules whose list (names or component types) matches
  // the candidate and that qualify, or -1.
  static long Best(const Slot& slot, bool types, std::u16string_view candidate,
                   const std::u16string_view* context, uint32_t requirements);

  std::array<Slot, kDomainTypeSlots * kRuleKindSlots> slots_;
  // Per domain type: every name that a rule's domain names hold, lower-cased.
  std::array<std::unordered_map<std::u16string, bool, FoldedHash, FoldedEqual>, kDomainTypeSlots>
      context_names_;
};

}  // namespace kpx
