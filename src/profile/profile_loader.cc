#include "profile/profile_loader.h"

#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "profile/dom_reading.h"
#include "profile/profile_messages.h"
#include "profile/profile_rule_reader.h"
#include "profile/profile_value_syntax.h"

namespace kpx {

namespace {

// The name lists of each mode's tag domains, united into the mode's tag-domain names once the
// whole document is read (one union of all of them costs their total size).
using TagDomainLists = std::unordered_map<ProfileMode*, std::vector<NameList>>;

class ModeReader {
 public:
  ModeReader(ProfileMode& mode, const ConverterProfile& profile, std::vector<NameList>& tag_domains)
      : mode_(mode), profile_(profile), tag_domains_(tag_domains) {}

  // The children of a "mode" element: restrictions first, then "if", domains and rules, with
  // the children of each "if" that holds read in its place.
  void ReadBody(IXMLDOMNode* mode_element) {
    // One walk per open "if", so nesting needs no recursion.
    std::vector<ChildWalk> open;
    open.emplace_back(mode_element);
    bool restricting = true;
    while (!open.empty()) {
      ComPtr<IXMLDOMNode> child = open.back().Next();
      if (!child) {
        open.pop_back();
        continue;
      }
      if (NodeType(child.Get()) != NODE_ELEMENT) continue;
      const std::u16string name = NodeName(child.Get());
      if (restricting) {
        if (name == u"html:restrict") {
          ReadHtmlRestrict(child.Get());
          continue;
        }
        if (name == u"kps:restrict") {
          ReadKpsRestrict(child.Get());
          continue;
        }
        restricting = false;
      }
      if (name == u"if") {
        if (Holds(child.Get())) open.emplace_back(child.Get());
      } else if (name == u"html:domain" || name == u"kps:domain") {
        ReadDomain(child.Get(), name == u"html:domain");
      } else if (RuleKind kind = RuleKindOfElement(name); kind != RuleKind::kNone) {
        ReadRuleElement(child.Get(), kind, mode_, profile_);
      } else {
        profile_.Report(false, child.Get(), profile_messages::InvalidNode(name));
      }
    }
  }

 private:
  void ReadHtmlRestrict(IXMLDOMNode* element) {
    ChildWalk children(element);
    while (ComPtr<IXMLDOMNode> child = children.Next()) {
      if (NodeType(child.Get()) != NODE_ELEMENT) continue;
      const std::u16string name = NodeName(child.Get());
      if (name != u"tag") {
        profile_.Report(false, child.Get(), profile_messages::InvalidNode(name));
        continue;
      }
      RestrictEntry entry;
      ValueFindings findings;
      for (const DomAttribute& attribute : AttributesOf(child.Get())) {
        if (attribute.name == u"name") {
          ReadNameListValue(attribute.value, entry.tag_names, findings);
        } else if (attribute.name == u"attr") {
          ReadNameListValue(attribute.value, entry.attribute_names, findings);
        } else {
          findings.push_back({false, profile_messages::InvalidAttribute(attribute.name)});
        }
        ReportFindings(profile_, child.Get(), findings);
      }
      if (HasContentChildren(child.Get())) {
        profile_.Report(false, child.Get(), profile_messages::NoChildrenAllowed(name));
      }
      mode_.restrict_entries.push_back(std::move(entry));
    }
  }

  void ReadKpsRestrict(IXMLDOMNode* element) {
    ChildWalk children(element);
    while (ComPtr<IXMLDOMNode> child = children.Next()) {
      if (NodeType(child.Get()) != NODE_ELEMENT) continue;
      const std::u16string name = NodeName(child.Get());
      if (name != u"resource") {
        profile_.Report(false, child.Get(), profile_messages::InvalidNode(name));
        continue;
      }
      ValueFindings findings;
      // Every "prefix" adds to the one list of the mode; other attributes mean nothing here.
      for (const DomAttribute& attribute : AttributesOf(child.Get())) {
        if (attribute.name == u"prefix") {
          ReadNameListValue(attribute.value, mode_.resource_prefixes, findings);
          ReportFindings(profile_, child.Get(), findings);
        }
      }
      if (HasContentChildren(child.Get())) {
        profile_.Report(false, child.Get(), profile_messages::NoChildrenAllowed(name));
      }
    }
  }

  // An "if" holds when matching its symbol against the defined symbols gives true for
  // "defined" and false for "undefined"; the last such attribute decides. Without one, the
  // empty symbol is tested as if "defined".
  bool Holds(IXMLDOMNode* element) {
    bool expected = true;
    std::u16string symbol;
    for (const DomAttribute& attribute : AttributesOf(element)) {
      if (attribute.name == u"defined" || attribute.name == u"undefined") {
        expected = attribute.name == u"defined";
        symbol = attribute.value;
      } else {
        profile_.Report(false, element, profile_messages::InvalidAttribute(attribute.name));
      }
    }
    return profile_.defined_symbols().Matches(symbol) == expected;
  }

  void ReadDomain(IXMLDOMNode* element, bool html) {
    mode_.current_domain_type = html ? DomainType::kTag : DomainType::kAnyComponent;
    mode_.current_domain_names = NameList();
    bool has_name = false;
    ValueFindings findings;
    for (const DomAttribute& attribute : AttributesOf(element)) {
      if (attribute.name == u"type") {
        ReadDomainType(attribute.value, html, findings);
      } else if (attribute.name == u"name") {
        ReadNameListValue(attribute.value, mode_.current_domain_names, findings);
        has_name = true;
      } else {
        findings.push_back({false, profile_messages::InvalidAttribute(attribute.name)});
      }
      ReportFindings(profile_, element, findings);
    }
    if (!has_name) mode_.current_domain_names.set_state(NameListState::kAny);

    ChildWalk children(element);
    while (ComPtr<IXMLDOMNode> child = children.Next()) {
      if (NodeType(child.Get()) != NODE_ELEMENT) continue;
      const std::u16string name = NodeName(child.Get());
      if (RuleKind kind = RuleKindOfElement(name); kind != RuleKind::kNone) {
        ReadRuleElement(child.Get(), kind, mode_, profile_);
      } else {
        profile_.Report(false, child.Get(), profile_messages::InvalidNode(name));
      }
    }
    if (mode_.current_domain_type == DomainType::kTag) {
      tag_domains_.push_back(mode_.current_domain_names);
    }
    mode_.current_domain_type = DomainType::kNone;
    mode_.current_domain_names = NameList();
  }

  // A bad html:domain type is an error, a bad kps:domain type a warning; either leaves the
  // domain's default type.
  void ReadDomainType(std::u16string_view value, bool html, ValueFindings& findings) {
    struct TypeWord {
      std::u16string_view word;
      DomainType type;
    };
    static constexpr TypeWord kHtmlTypes[] = {
        {u"tag", DomainType::kTag},
        {u"text", DomainType::kText},
        {u"attribute", DomainType::kAttribute},
        {u"comment", DomainType::kComment},
    };
    static constexpr TypeWord kComponentTypes[] = {
        {u"block", DomainType::kBlock},
        {u"container", DomainType::kContainerComponent},
        {u"simple", DomainType::kSimpleComponent},
        {u"embraced", DomainType::kEmbracedComponent},
        {u"complex", DomainType::kComplexComponent},
        {u"extended", DomainType::kExtendedComponent},
    };
    for (const TypeWord& type : html ? std::span<const TypeWord>(kHtmlTypes)
                                     : std::span<const TypeWord>(kComponentTypes)) {
      if (value == type.word) {
        mode_.current_domain_type = type.type;
        return;
      }
    }
    findings.push_back({html, profile_messages::InvalidAttributeValue(value)});
  }

  ProfileMode& mode_;
  const ConverterProfile& profile_;
  std::vector<NameList>& tag_domains_;
};

void UniteTagDomains(TagDomainLists& tag_domains) {
  for (auto& [mode, lists] : tag_domains) {
    std::vector<const NameList*> all{&mode->tag_domain_names};
    for (const NameList& list : lists) all.push_back(&list);
    mode->tag_domain_names = NameList::UnionOf(all);
  }
}

// The mode a "mode" element fills, or null (reported) when it names none.
ProfileMode* SelectMode(IXMLDOMNode* element, ConverterProfile& profile) {
  ProfileMode* mode = nullptr;
  for (const DomAttribute& attribute : AttributesOf(element)) {
    if (attribute.name == u"target") {
      mode = &profile.ModeNamed(attribute.value);
    } else {
      profile.Report(false, element, profile_messages::InvalidAttribute(attribute.name));
    }
  }
  if (!mode) profile.Report(false, element, profile_messages::Expected(u"target"));
  return mode;
}

}  // namespace

bool ProfileLoader::Load(IXMLDOMNode* document, ConverterProfile& profile) {
  ComPtr<IXMLDOMNode> root = document ? FindRootElement(document) : nullptr;
  if (!root || NodeName(root.Get()) != u"xconverterProfile") {
    profile.Report(true, root ? root.Get() : document,
                   profile_messages::Expected(u"xconverterProfile"));
    return false;
  }
  TagDomainLists tag_domains;
  ChildWalk children(root.Get());
  while (ComPtr<IXMLDOMNode> child = children.Next()) {
    if (NodeType(child.Get()) != NODE_ELEMENT) continue;
    if (NodeName(child.Get()) != u"mode") {
      profile.Report(true, child.Get(), profile_messages::Expected(u"mode"));
      continue;
    }
    if (ProfileMode* mode = SelectMode(child.Get(), profile)) {
      ModeReader(*mode, profile, tag_domains[mode]).ReadBody(child.Get());
    }
  }
  UniteTagDomains(tag_domains);
  return true;
}

}  // namespace kpx
