// The rule engine on loaded profiles and directly built nodes: effective modes, the search inside
// a domain, the prepared balance lists, and what applying a rule does to a node.
#include <gtest/gtest.h>

#include "profile/effective_mode.h"
#include "profile/prepared_mode.h"
#include "profile/profile_loader.h"
#include "profile/rule_application.h"
#include "profile_test_support.h"

namespace kpx::testing {
namespace {

struct Loaded {
  explicit Loaded(const std::string& xml) {
    ComPtr<IXMLDOMDocument> doc = LoadDocument(xml);
    EXPECT_TRUE(ProfileLoader::Load(doc.Get(), profile));
  }
  ConverterProfile profile;
};

// The flag names of the rule that a search finds, "-" for none: the rules of these tests carry
// one flag each to tell them apart.
std::string Found(const ProfileRule* rule) {
  return rule && !rule->flags.names().empty() ? ToUtf8(rule->flags.names()[0]) : "-";
}

TEST(RuleEngineTest, EffectiveModeAndSearch) {
  Loaded loaded(ForwardProfile(
      "<mode target='default'>"
      "  <html:tag name='b' output='xml'><flag name='d1'/></html:tag>"
      "  <html:tag name='i' output='xml'><flag name='d2'/></html:tag>"
      "  <kps:component type='Grid' output='xml'><flag name='byType'/></kps:component>"
      "  <kps:component name='Orders' output='xml'><flag name='byName'/></kps:component>"
      "  <kps:component type='Grid' output='xml'><flag name='byTypeLater'/></kps:component>"
      "  <html:tag name='u'><flag name='noOutput'/></html:tag>"
      "  <html:domain type='tag' name='td'><html:tag name='form' output='xml'>"
      "    <flag name='inCell'/></html:tag></html:domain>"
      "</mode>"
      "<mode target='design'>"
      "  <html:tag name='B' output='xml'><flag name='design'/></html:tag>"
      "</mode>"));
  ProfileMode& design = BuildEffectiveMode(loaded.profile, u"design");
  EXPECT_EQ(design.name(), u"default");
  const RuleIndex index(design);
  struct Case {
    const char* what;
    DomainType domain;
    RuleKind kind;
    const char16_t* context;
    const char16_t* name;
    const char16_t* type;
    const char* expected;
  } cases[] = {
      {"the requested mode's rule wins, any case", DomainType::kNone, RuleKind::kHtmlTag, u"", u"b",
       u"", "design"},
      {"a default rule alone", DomainType::kNone, RuleKind::kHtmlTag, u"", u"I", u"", "d2"},
      {"by name beats a later rule by type", DomainType::kNone, RuleKind::kComponent, u"",
       u"orders", u"Grid", "byName"},
      {"by type, the later rule", DomainType::kNone, RuleKind::kComponent, u"", u"Other", u"Grid",
       "byTypeLater"},
      {"type alternatives begin with a listed name", DomainType::kNone, RuleKind::kComponent, u"",
       u"", u"x|Gridlet|y", "byTypeLater"},
      {"no output: not found", DomainType::kNone, RuleKind::kHtmlTag, u"", u"u", u"", "-"},
      {"domain names match the context", DomainType::kTag, RuleKind::kHtmlTag, u"TD", u"form", u"",
       "inCell"},
      {"other context", DomainType::kTag, RuleKind::kHtmlTag, u"tr", u"form", u"", "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Found(index.Find(c.domain, c.kind, c.context, c.name, c.type, kRequireOutput)),
              c.expected);
  }
  // A mode the profile lacks: the default mode alone.
  Loaded again(
      ForwardProfile("<mode target='default'><html:tag name='b' output='xml'>"
                     "<flag name='d'/></html:tag></mode>"));
  ProfileMode& missing = BuildEffectiveMode(again.profile, u"generation");
  EXPECT_EQ(missing.rules().size(), 1u);
}

TEST(RuleEngineTest, PreparedBalanceListsAndRestrictions) {
  Loaded loaded(
      OneMode("<html:restrict><tag name='a' attr='href'/></html:restrict>"
              "<kps:restrict><resource prefix='res'/></kps:restrict>"
              "<html:tag name='div;TABLE' balance='deny' output='xml'/>"
              "<html:tag name='span' balance='validate:exact' output='xml'/>"
              "<html:domain type='tag' name='td'><html:tag name='p' balance='deny' output='xml'/>"
              "</html:domain>"
              "<html:domain type='attribute'><kps:component type='Label' output='rip'/>"
              "<kps:resource output='xml'/><kps:resource output='rip'/></html:domain>"));
  const PreparedMode prepared(BuildEffectiveMode(loaded.profile, u"m"));
  EXPECT_TRUE(prepared.Denied(u"table"));
  EXPECT_FALSE(prepared.Denied(u"p"));  // a rule inside a domain adds nothing
  EXPECT_TRUE(prepared.Validated(u"span"));
  EXPECT_TRUE(prepared.LooksForComponentsInAttributes());
  EXPECT_TRUE(prepared.AttributeQualifies(u"a", u"HREF"));
  EXPECT_FALSE(prepared.AttributeQualifies(u"a", u"title"));
  EXPECT_TRUE(prepared.ResourcePrefixListed(u"RES"));
  const ProfileRule* rip =
      prepared.DomainRule(DomainType::kAttribute, RuleKind::kResource, OutputKind::kRip);
  ASSERT_NE(rip, nullptr);
  EXPECT_EQ(rip->output.kind, OutputKind::kRip);
  EXPECT_EQ(prepared.DomainRule(DomainType::kText, RuleKind::kResource, OutputKind::kXml), nullptr);
}

// A parent with three children made from a source text, and a rule read from one profile rule.
struct NodeFixture {
  explicit NodeFixture(const std::string& rule_xml)
      : loaded(OneMode(rule_xml)), document(u"<b>bold</b>") {
    root = PageNode::CreateRoot(u"Page", &document, 0);
    for (int i = 0; i < 3; ++i) {
      PageNode* node = PageNode::Create(u"Node", root.get(), u"");
      node->range = {0, 3, 7, 11};
      node->attributes.Set(u"Attr", u"v");
      node->attributes.Set(u"ATTR", u"w");
    }
    rule = loaded.profile.ModeNamed(u"m").rules().at(0);
  }
  PageNode& Child(size_t i) {
    auto child = root->Children().begin();
    while (i-- > 0) ++child;
    return **child;
  }
  Loaded loaded;
  PageDocument document;
  std::unique_ptr<PageNode> root;
  const ProfileRule* rule;
};

TEST(RuleEngineTest, ApplyRule) {
  struct Case {
    const char* what;
    const char* rule;
    bool primary, markup;
    const char* xml;  // the first child's page XML
  } cases[] = {
      {"flags, the one that is no XML name skipped; deny marks the node",
       "<html:tag output='xml' balance='deny'><flag name='kpsA'/><flag name='1bad'/>"
       "</html:tag>",
       true, false, "<Node Attr=\"v\" ATTR=\"w\" kpsA=\"true\" kpsForcelyBalanced=\"true\" />"},
      {"case options: upper wins; the first of two attributes that meet stays",
       "<html:tag output='xml:lowerTag;upperTag;lowerAttributes'/>", false, true,
       "<NODE attr=\"v\" />"},
      {"replacements at both ends",
       "<html:tag output='xml'><replace prefix='&lt;b&gt;'>"
       "<![CDATA[<strong>]]></replace><replace suffix='&lt;/b&gt;'><![CDATA[</strong>]]>"
       "</replace><replace suffix='x'><![CDATA[no]]></replace></html:tag>",
       false, true,
       "<Node Attr=\"v\" ATTR=\"w\"><Text><![CDATA[<strong>]]></Text>"
       "<Text><![CDATA[</strong>]]></Text></Node>"},
      {"encloseInTag: the source text", "<html:tag output='xml:encloseInTag'/>", true, true,
       "<Node Attr=\"v\" ATTR=\"w\"><Text><![CDATA[<b>bold</b>]]></Text></Node>"},
      {"rawContent and simulate: the template's own text",
       "<html:tag output='xml:rawContent;simulate'/>", true, true,
       "<Text><![CDATA[<b>]]></Text><Text><![CDATA[bold]]></Text><Text><![CDATA[</b>]]></Text>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NodeFixture fixture(c.rule);
    ApplyRule(fixture.Child(0), *fixture.rule, fixture.rule->output.options, c.primary, c.markup);
    EXPECT_EQ(ToUtf8(fixture.Child(0).ToXml()), c.xml);
  }
  // Siblings numbered once each, whichever call comes first.
  NodeFixture numbered("<html:tag output='xml:enumerateLocal'/>");
  for (size_t i = 0; i < 3; ++i) {
    ApplyRule(numbered.Child(i), *numbered.rule, numbered.rule->output.options, true, false);
    ApplyRule(numbered.Child(i), *numbered.rule, numbered.rule->output.options, false, true);
  }
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(numbered.Child(i).attributes.Get(kLocalOrderAttribute),
              ToUtf16(std::to_string(10 * (i + 1))));
  }
}

}  // namespace
}  // namespace kpx::testing
