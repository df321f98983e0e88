#include "profile/profile_rule_reader.h"

#include <array>
#include <utility>

#include "profile/dom_reading.h"
#include "profile/profile_messages.h"

namespace kpx {

namespace {

bool TakesName(RuleKind kind) {
  return kind == RuleKind::kHtmlTag || kind == RuleKind::kSgmlDeclaration ||
         kind == RuleKind::kComponent || kind == RuleKind::kBlock;
}

bool TakesBalance(RuleKind kind) {
  return kind == RuleKind::kHtmlTag || kind == RuleKind::kComponent;
}

// "flag": one attribute name, taken whole, that the rule sets to "true".
void ReadFlag(IXMLDOMNode* element, ProfileRule& rule, const ConverterProfile& profile) {
  for (const DomAttribute& attribute : AttributesOf(element)) {
    if (attribute.name == u"name") {
      rule.flags.set_exact_case(false);
      rule.flags.Add(attribute.value);
    } else {
      profile.Report(false, element, profile_messages::InvalidAttribute(attribute.name));
    }
  }
  if (HasContentChildren(element)) {
    profile.Report(false, element, profile_messages::NoChildrenAllowed(u"flag"));
  }
}

// "replace": a prefix or a suffix to match (or neither), and one replacement per CDATA section.
void ReadReplace(IXMLDOMNode* element, ProfileRule& rule, const ConverterProfile& profile) {
  ReplacePosition position = ReplacePosition::kPlain;
  std::u16string match;
  for (const DomAttribute& attribute : AttributesOf(element)) {
    const bool prefix = attribute.name == u"prefix";
    if (prefix || attribute.name == u"suffix") {
      if (position != ReplacePosition::kPlain) {
        profile.Report(false, element, profile_messages::kPrefixAndSuffix);
        return;
      }
      position = prefix ? ReplacePosition::kPrefix : ReplacePosition::kSuffix;
      match = attribute.value;
    } else {
      profile.Report(false, element, profile_messages::InvalidAttribute(attribute.name));
    }
  }
  ChildWalk children(element);
  while (ComPtr<IXMLDOMNode> child = children.Next()) {
    const DOMNodeType type = NodeType(child.Get());
    if (type == NODE_CDATA_SECTION) {
      rule.replacements.push_back({position, match, NodeText(child.Get())});
    } else if (type == NODE_ELEMENT) {
      profile.Report(true, child.Get(), profile_messages::InvalidNode(NodeName(child.Get())));
    }
  }
}

}  // namespace

RuleKind RuleKindOfElement(std::u16string_view name) {
  constexpr std::array<std::pair<std::u16string_view, RuleKind>, 7> kRuleElements = {{
      {u"html:tag", RuleKind::kHtmlTag},
      {u"sgml:declaration", RuleKind::kSgmlDeclaration},
      {u"kps:resource", RuleKind::kResource},
      {u"kps:component", RuleKind::kComponent},
      {u"kps:block", RuleKind::kBlock},
      {u"kps:variable", RuleKind::kVariable},
      {u"sgml:comment", RuleKind::kSgmlComment},
  }};
  for (const auto& [element, kind] : kRuleElements) {
    if (name == element) return kind;
  }
  return RuleKind::kNone;
}

void ReportFindings(const ConverterProfile& profile, IXMLDOMNode* node, ValueFindings& findings) {
  for (const ValueFinding& finding : findings)
    profile.Report(finding.is_error, node, finding.message);
  findings.clear();
}

void ReadRuleElement(IXMLDOMNode* element, RuleKind kind, ProfileMode& mode,
                     const ConverterProfile& profile) {
  ProfileRule& rule = mode.AppendRule(ProfileRule{});
  rule.kind = kind;
  rule.domain_names = mode.current_domain_names;
  rule.domain_type = mode.current_domain_type;

  bool has_name = false;
  bool has_type = false;
  ValueFindings findings;
  for (const DomAttribute& attribute : AttributesOf(element)) {
    const std::u16string& name = attribute.name;
    if (name == u"name" && TakesName(kind)) {
      ReadNameListValue(attribute.value, rule.names, findings);
      has_name = true;
    } else if (name == u"type" && kind == RuleKind::kComponent) {
      ReadNameListValue(attribute.value, rule.component_types, findings);
      has_type = true;
    } else if (name == u"balance" && TakesBalance(kind)) {
      ReadBalanceValue(attribute.value, rule.balance, findings);
    } else if (name == u"closable" && kind == RuleKind::kHtmlTag) {
      ReadClosableValue(attribute.value, rule.closable, findings);
    } else if (name == u"output") {
      ReadOutputValue(attribute.value, rule.output, findings);
    } else {
      findings.push_back({false, profile_messages::InvalidAttribute(name)});
    }
    ReportFindings(profile, element, findings);
  }
  // A component rule without names is chosen by its component types alone.
  if (!has_name && kind != RuleKind::kComponent) rule.names.set_state(NameListState::kAny);
  if (!has_name && !has_type && kind == RuleKind::kComponent) {
    rule.component_types.set_state(NameListState::kAny);
  }
  mode.Register(rule);

  if (rule.output.kind != OutputKind::kXml && rule.output.kind != OutputKind::kRip) {
    if (HasContentChildren(element)) {
      profile.Report(false, element, profile_messages::NoChildrenAllowed(NodeName(element)));
    }
    return;
  }
  ChildWalk children(element);
  while (ComPtr<IXMLDOMNode> child = children.Next()) {
    if (NodeType(child.Get()) != NODE_ELEMENT) continue;
    const std::u16string name = NodeName(child.Get());
    if (name == u"flag") {
      ReadFlag(child.Get(), rule, profile);
    } else if (name == u"replace") {
      ReadReplace(child.Get(), rule, profile);
    } else {
      profile.Report(false, child.Get(), profile_messages::InvalidNode(name));
    }
  }
}

}  // namespace kpx
