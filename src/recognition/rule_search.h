// The contextual rule search: which rule of the effective mode governs a construct met inside the
// current page node. The search asks the domains of the open nodes below the root, innermost
// first, then the domain-less rules.
//
// What a node's domains answer depends only on the node's signature: the kind of node (tag scope,
// block, component of a class) and its context names as far as the profile tells them apart. The
// search keeps, per rule kind, the open nodes of each signature that can answer, and asks each
// signature once per construct name: a search costs the number of signatures open, however deep
// the nesting.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/number_map.h"
#include "base/text_ids.h"
#include "profile/prepared_mode.h"
#include "recognition/parse_context.h"

namespace kpx {

class RuleSearch {
 public:
  RuleSearch(ParseContext& context, const PreparedMode& mode) : ctx_(context), mode_(mode) {}

  // node becomes the innermost open node; the innermost open node ends. name_construct:
  // ConstructId(node->name, {}) when the caller has it already.
  void Push(const PageNode* node, uint32_t name_construct = kNoConstruct);
  void Pop();

  // The rule for a construct of `kind` named `name` (type text for components) inside `current`
  // (the innermost open node, or the root), or null. Every search asks for a set output. A node in
  // the comment state asks the comment domain first; an HTML tag of the mode's tag-domain names
  // that no rule governs gets the built-in tag rule.
  // construct: ConstructId(name, type_text) when the caller has it already.
  const ProfileRule* Find(const PageNode* current, RuleKind kind, std::u16string_view name,
                          std::u16string_view type_text = {}, uint32_t construct = kNoConstruct) {
    // Most constructs stand where no open node's domains may answer: then the domain-less answer,
    // kept by construct once asked, is all there is to it.
    const auto k = static_cast<size_t>(kind);
    if (construct != kNoConstruct && answering_[k] == 0 && !(current->flags & kCommentState)) {
      const std::vector<const ProfileRule*>& known = outside_[k];
      if (construct < known.size() && known[construct] != NotAsked()) return known[construct];
    }
    return Search(current, kind, name, type_text, construct);
  }

  // A construct (its name, then NUL and the type text when there is one) by its number in this
  // parse: each search hashes its construct once, and the answers are kept by number.
  uint32_t ConstructId(std::u16string_view name, std::u16string_view type_text);
  static constexpr uint32_t kNoConstruct = TextIds::kAbsent;

 private:
  struct Signature {
    uint8_t relevant = 0;  // bit per kind: the node's domains may answer
    // Per kind: the open nodes of this signature, by their place in the open chain, innermost
    // last.
    std::array<std::vector<int32_t>, kRuleKindSlots> open;
  };

  // Marks an answer not looked up yet.
  static const ProfileRule* NotAsked() {
    static const char mark = 0;
    return reinterpret_cast<const ProfileRule*>(&mark);
  }
  const ProfileRule* Search(const PageNode* current, RuleKind kind, std::u16string_view name,
                            std::u16string_view type_text, uint32_t construct);
  std::u16string SignatureOf(const PageNode& node);
  // Whether node's domains hold rules of kind that may match in its context.
  bool MayAnswer(const PageNode& node, RuleKind kind);
  // The rule found at node itself, or null.
  const ProfileRule* AtNode(const PageNode& node, RuleKind kind, std::u16string_view name,
                            std::u16string_view type_text);
  const ProfileRule* Walk(RuleKind kind, std::u16string_view name, std::u16string_view type_text,
                          uint32_t construct);
  // The domain-less search and the built-in tag rule.
  const ProfileRule* Outside(RuleKind kind, std::u16string_view name, std::u16string_view type_text,
                             uint32_t construct);
  // The component domains that a component node's class asks, in order (kNone after the last).
  std::array<DomainType, 4> ComponentDomains(const PageNode& node);

  ParseContext& ctx_;
  const PreparedMode& mode_;
  TextIds constructs_;
  std::u16string construct_key_;  // room for a key with a type text
  std::unordered_map<std::u16string, size_t> signature_ids_;
  // The signature of tag scopes by tag name, which needs no signature text to be made.
  static constexpr uint32_t kNoSignature = UINT32_MAX;
  std::vector<uint32_t> tag_signatures_;  // by the tag name's construct number
  std::vector<Signature> signatures_;
  // Per kind: the signatures that may answer, once each.
  std::array<std::vector<size_t>, kRuleKindSlots> relevant_;
  struct Open {
    const PageNode* node;
    size_t signature;
  };
  std::vector<Open> chain_;  // the open nodes, innermost last
  // Per kind: how many open nodes have domains that may answer.
  std::array<uint32_t, kRuleKindSlots> answering_{};
  // Per kind: what a signature's domains answered, by (signature << 32 | construct).
  std::array<NumberMap<const ProfileRule*>, kRuleKindSlots> answers_;
  // Per kind: the domain-less answer by construct; kNotAsked where there is none yet.
  std::array<std::vector<const ProfileRule*>, kRuleKindSlots> outside_;
};

}  // namespace kpx
