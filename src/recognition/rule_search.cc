#include "recognition/rule_search.h"

#include <vector>

namespace kpx {

const ProfileRule* RuleSearch::Find(const PageNode* current, RuleKind kind,
                                    std::u16string_view name, std::u16string_view type_text) {
  const RuleIndex& index = mode_.Index();
  if (current->flags & kCommentState) {
    if (const ProfileRule* rule =
            index.Find(DomainType::kComment, kind, u"", name, type_text, kRequireOutput)) {
      return rule;
    }
  }
  if (const ProfileRule* rule = FromNode(current, kind, name, type_text)) return rule;
  if (const ProfileRule* rule =
          index.Find(DomainType::kNone, kind, u"", name, type_text, kRequireOutput)) {
    return rule;
  }
  if (kind == RuleKind::kHtmlTag && mode_.Mode().tag_domain_names.Matches(name)) {
    return &PreparedMode::BuiltInTagRule();
  }
  return nullptr;
}

const ProfileRule* RuleSearch::FromNode(const PageNode* node, RuleKind kind,
                                        std::u16string_view name, std::u16string_view type_text) {
  std::u16string construct(1, static_cast<char16_t>(kind));
  construct += name;
  construct += u'\0';
  construct += type_text;
  // Up to the first node whose answer is known (or the root), then the answers back down.
  std::vector<const PageNode*> unknown;
  const ProfileRule* found = nullptr;
  for (; node && node->Parent(); node = node->Parent()) {
    auto answers = walked_.find(node);
    if (answers != walked_.end()) {
      auto known = answers->second.find(construct);
      if (known != answers->second.end()) {
        found = known->second;
        break;
      }
    }
    unknown.push_back(node);
  }
  for (auto it = unknown.rbegin(); it != unknown.rend(); ++it) {
    if (const ProfileRule* here = AtNode(**it, kind, name, type_text, kRequireOutput)) {
      found = here;
    }
    walked_[*it].emplace(construct, found);
  }
  return found;
}

const ProfileRule* RuleSearch::AtNode(const PageNode& node, RuleKind kind, std::u16string_view name,
                                      std::u16string_view type_text, uint32_t requirements) {
  const RuleIndex& index = mode_.Index();
  auto in = [&](DomainType domain, std::u16string_view context) -> const ProfileRule* {
    if (!index.Has(domain, kind)) return nullptr;
    return index.Find(domain, kind, context, name, type_text, requirements);
  };
  if (node.tag_scope) return in(DomainType::kTag, node.name);
  if (node.name == u"Block") {
    const std::u16string_view type = node.attributes.Get(u"type");
    const ProfileRule* rule = type.empty() ? nullptr : in(DomainType::kExtendedComponent, type);
    return rule ? rule : in(DomainType::kBlock, node.attributes.Get(u"name"));
  }
  if (!node.IsComponent()) return nullptr;
  const ComponentClass& type = ctx_.Classify(node.name);
  const ProfileRule* rule = nullptr;
  if (type.container) {
    rule = in(DomainType::kContainerComponent, node.name);
  } else if (type.simple) {
    if (CanCarryExtendedHtml(node.name)) rule = in(DomainType::kEmbracedComponent, node.name);
    if (!rule) rule = in(DomainType::kSimpleComponent, node.name);
  } else {
    rule = in(DomainType::kComplexComponent, node.name);
  }
  return rule ? rule : in(DomainType::kAnyComponent, node.name);
}

}  // namespace kpx
