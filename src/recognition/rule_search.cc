#include "recognition/rule_search.h"

namespace kpx {

uint32_t RuleSearch::ConstructId(std::u16string_view name, std::u16string_view type_text) {
  std::u16string_view key = name;
  if (!type_text.empty()) {
    construct_key_.assign(name);
    construct_key_ += u'\0';
    construct_key_ += type_text;
    key = construct_key_;
  }
  return constructs_.Add(key);
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

std::u16string RuleSearch::SignatureOf(const PageNode& node) {
  const RuleIndex& index = mode_.Index();
  std::u16string signature;
  if (node.tag_scope) {
    signature = u"t";
    signature += index.ContextKey(DomainType::kTag, node.name);
  } else if (node.name == u"Block") {
    signature = u"b";
    const std::u16string_view type = node.attributes.Get(u"type");
    signature += type.empty() ? u"" : u"+";  // a typed block asks the extended domain too
    signature += index.ContextKey(DomainType::kExtendedComponent, type);
    signature += u'\0';
    signature += index.ContextKey(DomainType::kBlock, node.attributes.Get(u"name"));
  } else if (node.IsComponent()) {
    signature = u"c";
    for (DomainType domain : ComponentDomains(node)) {
      if (domain == DomainType::kNone) break;
      signature += static_cast<char16_t>(u'A' + static_cast<int>(domain));
      signature += index.ContextKey(domain, node.name);
      signature += u'\0';
    }
  } else {
    signature = u"-";  // answers nothing
  }
  return signature;
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

void RuleSearch::Push(const PageNode* node, uint32_t name_construct) {
  size_t id = signatures_.size();
  bool added = false;
  uint32_t* by_name = nullptr;
  if (node->tag_scope) {
    // A tag scope's signature follows from its name alone: found by the name's number.
    if (name_construct == kNoConstruct) name_construct = ConstructId(node->name.view(), {});
    if (name_construct >= tag_signatures_.size()) {
      tag_signatures_.resize(name_construct + 1, kNoSignature);
    }
    by_name = &tag_signatures_[name_construct];
  }
  if (by_name && *by_name != kNoSignature) {
    id = *by_name;
  } else {
    auto [found, fresh] = signature_ids_.emplace(SignatureOf(*node), signatures_.size());
    id = found->second;
    added = fresh;
    if (by_name) *by_name = static_cast<uint32_t>(id);
  }
  if (added) {
    Signature made;
    for (size_t kind = 1; kind < kRuleKindSlots; ++kind) {
      if (!MayAnswer(*node, static_cast<RuleKind>(kind))) continue;
      made.relevant |= static_cast<uint8_t>(1u << kind);
      relevant_[kind].push_back(id);
    }
    signatures_.push_back(std::move(made));
  }
  Signature& signature = signatures_[id];
  const auto place = static_cast<int32_t>(chain_.size());
  for (size_t kind = 1; kind < kRuleKindSlots; ++kind) {
    if (!(signature.relevant & (1u << kind))) continue;
    signature.open[kind].push_back(place);
    ++answering_[kind];
  }
  chain_.push_back({node, id});
}

void RuleSearch::Pop() {
  if (chain_.empty()) return;
  Signature& signature = signatures_[chain_.back().signature];
  for (size_t kind = 1; kind < kRuleKindSlots; ++kind) {
    if (!(signature.relevant & (1u << kind))) continue;
    signature.open[kind].pop_back();
    --answering_[kind];
  }
  chain_.pop_back();
}

const ProfileRule* RuleSearch::Search(const PageNode* current, RuleKind kind,
                                      std::u16string_view name, std::u16string_view type_text,
                                      uint32_t construct) {
  if (current->flags & kCommentState) {
    if (const ProfileRule* rule =
            mode_.Index().Find(DomainType::kComment, kind, u"", name, type_text, kRequireOutput)) {
      return rule;
    }
  }
  if (construct == kNoConstruct) construct = ConstructId(name, type_text);
  if (const ProfileRule* rule = Walk(kind, name, type_text, construct)) return rule;
  return Outside(kind, name, type_text, construct);
}

const ProfileRule* RuleSearch::Walk(RuleKind kind, std::u16string_view name,
                                    std::u16string_view type_text, uint32_t construct) {
  const auto k = static_cast<size_t>(kind);
  int32_t innermost = -1;
  const ProfileRule* found = nullptr;
  for (size_t id : relevant_[k]) {
    Signature& signature = signatures_[id];
    if (signature.open[k].empty() || signature.open[k].back() <= innermost) continue;
    // Every open node of one signature answers alike: ask once per construct.
    auto [answer, added] = answers_[k].Emplace(uint64_t{id} << 32 | construct);
    if (added) {
      const Open& open = chain_[static_cast<size_t>(signature.open[k].back())];
      answer = AtNode(*open.node, kind, name, type_text);
    }
    if (answer) {
      innermost = signature.open[k].back();
      found = answer;
    }
  }
  return found;
}

const ProfileRule* RuleSearch::Outside(RuleKind kind, std::u16string_view name,
                                       std::u16string_view type_text, uint32_t construct) {
  // A page asks for the same few names again and again: each is looked up once.
  auto& answers = outside_[static_cast<size_t>(kind)];
  if (construct >= answers.size()) answers.resize(construct + 1, NotAsked());
  if (answers[construct] != NotAsked()) return answers[construct];
  const ProfileRule* rule =
      mode_.Index().Find(DomainType::kNone, kind, u"", name, type_text, kRequireOutput);
  if (!rule && kind == RuleKind::kHtmlTag && mode_.InTagDomainNames(name)) {
    rule = &PreparedMode::BuiltInTagRule();
  }
  answers[construct] = rule;
  return rule;
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
