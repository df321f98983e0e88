// The contextual rule search: which rule of the effective mode governs a construct met inside the
// current page node. The search asks the domains of the open nodes below the root, innermost
// first, then the domain-less rules. The parser tells the search which nodes are open; each open
// node knows, per rule kind, the nearest open node whose domains have rules of that kind for it,
// so that a walk visits only nodes that can answer.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "profile/prepared_mode.h"
#include "recognition/parse_context.h"

namespace kpx {

class RuleSearch {
 public:
  RuleSearch(ParseContext& context, const PreparedMode& mode) : ctx_(context), mode_(mode) {}

  // node becomes the innermost open node; the innermost open node ends.
  void Push(const PageNode* node);
  void Pop() {
    if (!frames_.empty()) frames_.pop_back();
  }

  // The rule for a construct of `kind` named `name` (type text for components) inside `current`
  // (the innermost open node, or the root), or null. Every search asks for a set output. A node in
  // the comment state asks the comment domain first; an HTML tag of the mode's tag-domain names
  // that no rule governs gets the built-in tag rule.
  const ProfileRule* Find(const PageNode* current, RuleKind kind, std::u16string_view name,
                          std::u16string_view type_text = {});

 private:
  struct Frame {
    const PageNode* node;
    // Per kind: the index of the innermost frame, this one or an outer one, that can answer.
    std::array<int32_t, kRuleKindSlots> start;
    // Answers of walks from this frame, kept once a walk goes deep (kind, name, NUL, type text).
    std::unique_ptr<std::unordered_map<std::u16string, const ProfileRule*>> answers;
  };
  // Whether node's domains hold rules of kind that may match in its context.
  bool MayAnswer(const PageNode& node, RuleKind kind);
  // The rule found at node itself, or null.
  const ProfileRule* AtNode(const PageNode& node, RuleKind kind, std::u16string_view name,
                            std::u16string_view type_text);
  const ProfileRule* Walk(RuleKind kind, std::u16string_view name, std::u16string_view type_text);
  // The component domains that a component node's class asks, in order (kNone after the last).
  std::array<DomainType, 4> ComponentDomains(const PageNode& node);

  // The domain-less search and the built-in tag rule: what a search gives when no open node can
  // answer, by (kind, name, NUL, type text).
  const ProfileRule* Outside(RuleKind kind, std::u16string_view name,
                             std::u16string_view type_text);

  ParseContext& ctx_;
  const PreparedMode& mode_;
  std::vector<Frame> frames_;
  struct ViewHash {
    using is_transparent = void;
    size_t operator()(std::u16string_view key) const noexcept {
      return std::hash<std::u16string_view>()(key);
    }
  };
  // Per kind: name (then NUL and the type text, when there is one) -> answer.
  std::array<std::unordered_map<std::u16string, const ProfileRule*, ViewHash, std::equal_to<>>,
             kRuleKindSlots>
      outside_;
};

}  // namespace kpx
