#include "recognition/rule_search.h"

namespace kpx {

void RuleSearch::Push(const PageNode* node) {
  Frame frame{node, {}, nullptr};
  const auto index = static_cast<int32_t>(frames_.size());
  for (size_t kind = 1; kind < kRuleKindSlots; ++kind) {
    const int32_t outer = frames_.empty() ? -1 : frames_.back().start[kind];
    frame.start[kind] = MayAnswer(*node, static_cast<RuleKind>(kind)) ? index : outer;
  }
  frames_.push_back(std::move(frame));
}

std::array<DomainType, 4> RuleSearch::ComponentDomains(const PageNode& node) {
  const ComponentClass& type = ctx_.Classify(node.name);
  if (type.container) return {DomainType::kContainerComponent, DomainType::kAnyComponent};
  if (!type.simple) return {DomainType::kComplexComponent, DomainType::kAnyComponent};
  if (CanCarryExtendedHtml(node.name)) {
    return {DomainType::kEmbracedComponent, DomainType::kSimpleComponent,
            DomainType::kAnyComponent};
  }
  return {DomainType::kSimpleComponent, DomainType::kAnyComponent};
}

bool RuleSearch::MayAnswer(const PageNode& node, RuleKind kind) {
  const RuleIndex& index = mode_.Index();
  if (node.tag_scope) return index.MayMatch(DomainType::kTag, kind, node.name);
  if (node.name == u"Block") {
    const std::u16string_view type = node.attributes.Get(u"type");
    return (!type.empty() && index.MayMatch(DomainType::kExtendedComponent, kind, type)) ||
           index.MayMatch(DomainType::kBlock, kind, node.attributes.Get(u"name"));
  }
  if (!node.IsComponent()) return false;
  for (DomainType domain : ComponentDomains(node)) {
    if (domain != DomainType::kNone && index.MayMatch(domain, kind, node.name)) return true;
  }
  return false;
}

const ProfileRule* RuleSearch::Find(const PageNode* current, RuleKind kind,
                                    std::u16string_view name, std::u16string_view type_text) {
  const RuleIndex& index = mode_.Index();
  if (current->flags & kCommentState) {
    if (const ProfileRule* rule =
            index.Find(DomainType::kComment, kind, u"", name, type_text, kRequireOutput)) {
      return rule;
    }
  }
  if (const ProfileRule* rule = Walk(kind, name, type_text)) return rule;
  return Outside(kind, name, type_text);
}

const ProfileRule* RuleSearch::Outside(RuleKind kind, std::u16string_view name,
                                       std::u16string_view type_text) {
  // A page asks for the same few names again and again: each is looked up once.
  auto& answers = outside_[static_cast<size_t>(kind)];
  std::u16string key;
  std::u16string_view lookup = name;
  if (!type_text.empty()) {
    key.assign(name);
    key += u'\0';
    key += type_text;
    lookup = key;
  }
  auto known = answers.find(lookup);
  if (known != answers.end()) return known->second;
  const ProfileRule* rule =
      mode_.Index().Find(DomainType::kNone, kind, u"", name, type_text, kRequireOutput);
  if (!rule && kind == RuleKind::kHtmlTag && mode_.InTagDomainNames(name)) {
    rule = &PreparedMode::BuiltInTagRule();
  }
  answers.emplace(std::u16string(lookup), rule);
  return rule;
}

const ProfileRule* RuleSearch::Walk(RuleKind kind, std::u16string_view name,
                                    std::u16string_view type_text) {
  if (frames_.empty()) return nullptr;
  const auto k = static_cast<size_t>(kind);
  auto outer = [&](int32_t i) { return i > 0 ? frames_[static_cast<size_t>(i) - 1].start[k] : -1; };
  // Most walks are short: asked directly. Past kDirectSteps frames the answers are kept per frame,
  // so that a deep nesting of scopes that can answer is walked once, not once per construct.
  constexpr int kDirectSteps = 64;
  int32_t i = frames_.back().start[k];
  for (int steps = 0; i >= 0 && steps < kDirectSteps; ++steps, i = outer(i)) {
    if (const ProfileRule* here =
            AtNode(*frames_[static_cast<size_t>(i)].node, kind, name, type_text)) {
      return here;
    }
  }
  if (i < 0) return nullptr;
  std::u16string construct(1, static_cast<char16_t>(kind));
  construct += name;
  construct += u'\0';
  construct += type_text;
  std::vector<int32_t> unknown;
  const ProfileRule* found = nullptr;
  for (; i >= 0; i = outer(i)) {
    const Frame& frame = frames_[static_cast<size_t>(i)];
    if (frame.answers) {
      auto known = frame.answers->find(construct);
      if (known != frame.answers->end()) {
        found = known->second;
        break;
      }
    }
    unknown.push_back(i);
  }
  for (auto it = unknown.rbegin(); it != unknown.rend(); ++it) {
    Frame& frame = frames_[static_cast<size_t>(*it)];
    if (const ProfileRule* here = AtNode(*frame.node, kind, name, type_text)) found = here;
    if (!frame.answers) {
      frame.answers = std::make_unique<std::unordered_map<std::u16string, const ProfileRule*>>();
    }
    frame.answers->emplace(construct, found);
  }
  return found;
}

const ProfileRule* RuleSearch::AtNode(const PageNode& node, RuleKind kind, std::u16string_view name,
                                      std::u16string_view type_text) {
  const RuleIndex& index = mode_.Index();
  auto in = [&](DomainType domain, std::u16string_view context) -> const ProfileRule* {
    if (!index.Has(domain, kind)) return nullptr;
    return index.Find(domain, kind, context, name, type_text, kRequireOutput);
  };
  if (node.tag_scope) return in(DomainType::kTag, node.name);
  if (node.name == u"Block") {
    const std::u16string_view type = node.attributes.Get(u"type");
    const ProfileRule* rule = type.empty() ? nullptr : in(DomainType::kExtendedComponent, type);
    return rule ? rule : in(DomainType::kBlock, node.attributes.Get(u"name"));
  }
  if (!node.IsComponent()) return nullptr;
  for (DomainType domain : ComponentDomains(node)) {
    if (domain == DomainType::kNone) break;
    if (const ProfileRule* rule = in(domain, node.name)) return rule;
  }
  return nullptr;
}

}  // namespace kpx
