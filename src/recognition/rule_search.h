// The contextual rule search: which rule of the effective mode governs a construct met inside the
// current page node. The search asks the domains of the node and of its ancestors below the root,
// innermost first, then the domain-less rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "profile/prepared_mode.h"
#include "recognition/parse_context.h"

namespace kpx {

class RuleSearch {
 public:
  RuleSearch(ParseContext& context, const PreparedMode& mode) : ctx_(context), mode_(mode) {}

  // The rule for a construct of `kind` named `name` (type text for components) inside `current`,
  // or null. Every search asks for a set output. A node in the comment state asks the comment
  // domain first; an HTML tag of the mode's tag-domain names that no rule governs gets the
  // built-in tag rule.
  const ProfileRule* Find(const PageNode* current, RuleKind kind, std::u16string_view name,
                          std::u16string_view type_text = {});

  // Drops what is known about a node that leaves the tree.
  void Forget(const PageNode* node) { walked_.erase(node); }

 private:
  // The rule found at node itself, or null.
  const ProfileRule* AtNode(const PageNode& node, RuleKind kind, std::u16string_view name,
                            std::u16string_view type_text, uint32_t requirements);
  // The walk from node up: results are kept per node, so that a deep nesting of scopes is walked
  // once, not once per construct.
  const ProfileRule* FromNode(const PageNode* node, RuleKind kind, std::u16string_view name,
                              std::u16string_view type_text);

  ParseContext& ctx_;
  const PreparedMode& mode_;
  // Node -> (kind, name, NUL, type text) -> the walk's answer from that node.
  std::unordered_map<const PageNode*, std::unordered_map<std::u16string, const ProfileRule*>>
      walked_;
};

}  // namespace kpx
