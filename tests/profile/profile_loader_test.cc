// The forward profile loader: documents through the XML stand-in, every finding checked word for
// word, and the loaded modes compared as a compact dump.
#include "profile/profile_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/converter_profile.h"
#include "profile/profile_description.h"
#include "profile_test_support.h"

namespace kpx {
namespace {

using testing::Error;
using testing::Finding;
using testing::ForwardProfile;
using testing::OneMode;
using testing::Warning;

// One line per rule, then the restrict entries, resource prefixes and tag-domain names when the
// mode has them.
std::string Dump(const ProfileMode& mode) {
  std::u16string out;
  for (const ProfileRule* rule : mode.rules()) out += DescribeRule(*rule) + u"\n";
  for (const RestrictEntry& entry : mode.restrict_entries) {
    out += u"restrict " + DescribeNameList(entry.tag_names) + u" / " +
           DescribeNameList(entry.attribute_names) + u"\n";
  }
  if (mode.resource_prefixes.IsSet()) {
    out += u"prefixes " + DescribeNameList(mode.resource_prefixes) + u"\n";
  }
  if (mode.tag_domain_names.IsSet()) {
    out += u"tag domains " + DescribeNameList(mode.tag_domain_names) + u"\n";
  }
  return ToUtf8(out);
}

struct Loaded {
  bool ok = false;
  std::vector<Finding> findings;
  std::string dump;  // of mode "m" (empty when there is none)
};

Loaded Load(const std::string& xml, std::vector<std::u16string_view> symbols = {}) {
  testing::RecordingDiagnostics diagnostics;
  ConverterProfile profile(&diagnostics);
  for (std::u16string_view symbol : symbols) profile.Define(symbol);
  ComPtr<IXMLDOMDocument> doc = testing::LoadDocument(xml);
  Loaded result;
  result.ok = ProfileLoader::Load(doc.Get(), profile);
  result.findings = diagnostics.findings;
  if (const ProfileMode* mode = profile.FindMode(u"m")) result.dump = Dump(*mode);
  return result;
}

struct Row {
  const char* what;
  std::string body;  // children of mode "m"
  std::vector<Finding> findings;
  std::string dump;
};

void RunRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Loaded loaded = Load(OneMode(row.body));
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.findings, row.findings);
    EXPECT_EQ(loaded.dump, row.dump);
  }
}

TEST(ProfileLoaderTest, RootAndModes) {
  struct DocumentRow {
    const char* what;
    std::string xml;
    bool ok;
    std::vector<Finding> findings;
    std::string dump;
  };
  const DocumentRow rows[] = {
      {"a reverse profile is not a forward profile",
       "<xconverterReverseProfile><substTable/></xconverterReverseProfile>",
       false,
       {Error("expected: xconverterProfile")},
       ""},
      {"the root name is case-sensitive",
       "<XConverterProfile/>",
       false,
       {Error("expected: xconverterProfile")},
       ""},
      {"comments and a processing instruction before the root",
       "<!-- profile --><?editor keep?><xconverterProfile><mode target='m'>"
       "<sgml:comment xmlns:sgml='urn:s' output='text'/></mode></xconverterProfile>",
       true,
       {},
       "sgml:comment any: output text\n"},
      {"an empty profile", "<xconverterProfile/>", true, {}, ""},
      {"a root child that is not a mode, then a mode",
       ForwardProfile("<modes target='m'/><mode target='m'><kps:block output='xml'/></mode>"),
       true,
       {Error("expected: mode")},
       "kps:block any: output xml\n"},
      {"two modes with one target make one mode, in document order",
       ForwardProfile("<mode target='m'><html:tag name='a' output='xml'/></mode>"
                      "<mode target='other'><html:tag name='x' output='xml'/></mode>"
                      "<mode target='m'><html:tag name='b' output='text'/></mode>"),
       true,
       {},
       "html:tag a: output xml\nhtml:tag b: output text\n"},
      {"mode names are exact",
       ForwardProfile("<mode target='M'><html:tag name='a' output='xml'/></mode>"),
       true,
       {},
       ""},
      {"a mode without target is skipped",
       ForwardProfile("<mode><html:tag name='a' output='xml'/></mode>"),
       true,
       {Warning("expected: target")},
       ""},
      {"an unknown mode attribute",
       ForwardProfile("<mode name='x' target='m'><kps:block output='xml'/></mode>"),
       true,
       {Warning("invalid attribute: name")},
       "kps:block any: output xml\n"},
      {"text between the root's children is ignored",
       ForwardProfile("stray text<mode target='m'/>more"),
       true,
       {},
       ""},
  };
  for (const DocumentRow& row : rows) {
    SCOPED_TRACE(row.what);
    Loaded loaded = Load(row.xml);
    EXPECT_EQ(loaded.ok, row.ok);
    EXPECT_EQ(loaded.findings, row.findings);
    EXPECT_EQ(loaded.dump, row.dump);
  }
}

TEST(ProfileLoaderTest, NullDocumentHasNoRoot) {
  testing::RecordingDiagnostics diagnostics;
  ConverterProfile profile(&diagnostics);
  EXPECT_FALSE(ProfileLoader::Load(nullptr, profile));
  EXPECT_EQ(diagnostics.findings, std::vector<Finding>{Error("expected: xconverterProfile")});
}

TEST(ProfileLoaderTest, RuleElements) {
  RunRows({
      {"h1;h2 reads as the single name h",
       "<html:tag name='h1;h2' output='xml'/>",
       {},
       "html:tag h: output xml\n"},
      {"a negated list without its parenthesis",
       "<html:tag name='!(td;th' output='text'/>",
       {Warning("expected ')' in the attribute value: '!(td;th'")},
       "html:tag all but td; th: output text\n"},
      {"output options in any case",
       "<html:tag name='b' output='xml:rawContent;UPPERTAG'/>",
       {},
       "html:tag b: output xml:rawContent;upperTag\n"},
      {"an output in upper case is an error and leaves the output unset",
       "<html:tag name='b' output='XML'/>",
       {Error("invalid attribute value: 'XML'")},
       "html:tag b: output unset\n"},
      {"an unknown option word",
       "<sgml:declaration name='DOCTYPE' output='xml:simulate;raw'/>",
       {Warning("invalid attribute value: 'raw'")},
       "sgml:declaration DOCTYPE: output xml:simulate\n"},
      {"an error output",
       "<kps:block name='Row' output='error:XX_NoRows'/>",
       {},
       "kps:block Row: output error:XX_NoRows\n"},
      {"every attribute of html:tag",
       "<html:tag name='form' balance='deny' closable='true' output='rip'/>",
       {},
       "html:tag form: output rip, balance deny, closable\n"},
      {"bad balance and closable values",
       "<html:tag name='p' balance='never' closable='yes' output='text'/>",
       {Warning("invalid attribute value: 'never'"), Warning("invalid attribute value: 'yes'")},
       "html:tag p: output text, balance auto\n"},
      {"rules without a name match every name",
       "<kps:resource output='xml'/><kps:variable output='rip'/><sgml:comment output='none'/>"
       "<html:tag output='text'/>",
       {},
       "kps:resource any: output xml\nkps:variable any: output rip\n"
       "sgml:comment any: output none\nhtml:tag any: output text\n"},
      {"a component without name and type takes every type",
       "<kps:component output='xml'/>",
       {},
       "kps:component (types any): output xml\n"},
      {"a component chosen by its types alone",
       "<kps:component type='Grid;Record' balance='validate' output='xml'/>",
       {},
       "kps:component (types Grid; Record): output xml, balance validate\n"},
      {"a component with a name keeps its types unset",
       "<kps:component name='Orders' output='xml'/>",
       {},
       "kps:component Orders: output xml\n"},
      {"attributes a kind does not take",
       "<kps:variable name='x' output='xml'/><sgml:declaration name='DOCTYPE' balance='deny' "
       "output='text'/><kps:block type='Grid' closable='true' output='xml'/>",
       {Warning("invalid attribute: name"), Warning("invalid attribute: balance"),
        Warning("invalid attribute: type"), Warning("invalid attribute: closable")},
       "kps:variable any: output xml\nsgml:declaration DOCTYPE: output text\n"
       "kps:block any: output xml\n"},
      {"a rule without output", "<html:tag name='b'/>", {}, "html:tag b: output unset\n"},
      {"an unknown element",
       "<html:tags name='b'/><tag name='b'/>",
       {Warning("invalid node: html:tags"), Warning("invalid node: tag")},
       ""},
  });
}

TEST(ProfileLoaderTest, RuleChildren) {
  RunRows({
      {"flags and replacements of an xml rule",
       "<html:tag name='b' output='xml'><flag name='kpsBold'/><flag name='kps Odd'/>"
       "<replace prefix='&lt;b&gt;'><![CDATA[<strong>]]><!-- two --><![CDATA[<em>]]></replace>"
       "<replace suffix='&lt;/b&gt;'>ignored text<![CDATA[</strong>]]></replace>"
       "<replace><![CDATA[x]]></replace></html:tag>",
       {},
       "html:tag b: output xml, flags kpsBold; kps Odd, replace prefix \"<b>\" with "
       "\"<strong>\", replace prefix \"<b>\" with \"<em>\", replace suffix \"</b>\" with "
       "\"</strong>\", replace with \"x\"\n"},
      {"children of a rip rule",
       "<kps:variable output='rip'><flag name='kpsRip'/></kps:variable>",
       {},
       "kps:variable any: output rip, flags kpsRip\n"},
      {"a flag child of a text rule is ignored",
       "<html:tag name='b' output='text'><flag name='x'/><replace><![CDATA[y]]></replace>"
       "</html:tag>",
       {Warning("node must have no children: html:tag")},
       "html:tag b: output text\n"},
      {"text in a rule without output",
       "<kps:block>words</kps:block>",
       {Warning("node must have no children: kps:block")},
       "kps:block any: output unset\n"},
      {"comments and blank text in a text rule are not children",
       "<html:tag name='b' output='text'> <!-- note --> <?pi?> </html:tag>",
       {},
       "html:tag b: output text\n"},
      {"prefix and suffix together drop the replace",
       "<html:tag name='b' output='xml'><replace prefix='a' suffix='b'><![CDATA[c]]></replace>"
       "<replace suffix='d'><![CDATA[e]]></replace></html:tag>",
       {Warning("prefix and suffix can not be specified both")},
       "html:tag b: output xml, replace suffix \"d\" with \"e\"\n"},
      {"an element inside replace is an error",
       "<html:tag name='b' output='xml'><replace prefix='a'><b/><![CDATA[c]]></replace></html:tag>",
       {Error("invalid node: b")},
       "html:tag b: output xml, replace prefix \"a\" with \"c\"\n"},
      {"an unknown replace attribute",
       "<html:tag name='b' output='xml'><replace match='a'><![CDATA[c]]></replace></html:tag>",
       {Warning("invalid attribute: match")},
       "html:tag b: output xml, replace with \"c\"\n"},
      {"a flag with another attribute and a child",
       "<html:tag name='b' output='xml'><flag name='f' value='1'><x/></flag></html:tag>",
       {Warning("invalid attribute: value"), Warning("node must have no children: flag")},
       "html:tag b: output xml, flags f\n"},
      {"an unknown child of an xml rule",
       "<html:tag name='b' output='xml'><attr name='x'/>text</html:tag>",
       {Warning("invalid node: attr")},
       "html:tag b: output xml\n"},
  });
}

TEST(ProfileLoaderTest, Restrictions) {
  RunRows({
      {"both restrict elements, any number of them",
       "<html:restrict><tag name='a' attr='href'/><tag name='*' attr='!(style)'/></html:restrict>"
       "<kps:restrict><resource prefix='res'/></kps:restrict>"
       "<html:restrict><tag name='img' attr='src;alt'/></html:restrict>",
       {},
       "restrict a / href\nrestrict any / all but style\nrestrict img / src; alt\n"
       "prefixes res\n"},
      {"comments and processing instructions do not end the restrictions",
       "<!-- c --><html:restrict><!-- c --><tag name='a' attr='href'/></html:restrict><?pi?>"
       "<!-- c --><kps:restrict><resource prefix='url'/></kps:restrict><!-- c -->"
       "<kps:block output='xml'/>",
       {},
       "kps:block any: output xml\nrestrict a / href\nprefixes url\n"},
      {"a restrict element after a rule",
       "<html:tag name='b' output='xml'/><html:restrict><tag name='a' attr='href'/>"
       "</html:restrict><kps:restrict><resource prefix='res'/></kps:restrict>",
       {Warning("invalid node: html:restrict"), Warning("invalid node: kps:restrict")},
       "html:tag b: output xml\n"},
      {"a restrict element inside if",
       "<if undefined='x'><html:restrict><tag name='a' attr='b'/></html:restrict></if>",
       {Warning("invalid node: html:restrict")},
       ""},
      {"a star then names leaves the prefixes any",
       "<kps:restrict><resource prefix='*'/><resource prefix='res;url'/></kps:restrict>",
       {},
       "prefixes any\n"},
      {"prefixes from several resources",
       "<kps:restrict><resource prefix='res'/><resource prefix='url' note='x'/></kps:restrict>",
       {},
       "prefixes res; url\n"},
      {"faults inside restrictions",
       "<html:restrict><tags/><tag name='a' attrs='b'>x</tag></html:restrict>"
       "<kps:restrict><prefix/><resource prefix='!(res'><x/></resource></kps:restrict>",
       {Warning("invalid node: tags"), Warning("invalid attribute: attrs"),
        Warning("node must have no children: tag"), Warning("invalid node: prefix"),
        Warning("expected ')' in the attribute value: '!(res'"),
        Warning("node must have no children: resource")},
       "restrict a / unset\nprefixes all but res\n"},
  });
}

TEST(ProfileLoaderTest, Domains) {
  RunRows({
      {"html domains of each type",
       "<html:domain type='tag' name='td;th'><html:tag name='form' output='text'/></html:domain>"
       "<html:domain type='text'><kps:variable output='xml'/></html:domain>"
       "<html:domain type='attribute' name='href'><kps:resource output='xml'/></html:domain>"
       "<html:domain type='comment'><kps:variable output='text'/></html:domain>"
       "<html:domain name='table'><html:tag name='tr' output='xml'/></html:domain>",
       {},
       "html:tag form in tag domain td; th: output text\n"
       "kps:variable any in text domain: output xml\n"
       "kps:resource any in attribute domain href: output xml\n"
       "kps:variable any in comment domain: output text\n"
       "html:tag tr in tag domain table: output xml\n"
       "tag domains td; th; table\n"},
      {"component domains of each type",
       "<kps:domain><kps:variable output='xml'/></kps:domain>"
       "<kps:domain type='block'><kps:block output='xml'/></kps:domain>"
       "<kps:domain type='container' name='Grid'><html:tag name='tr' output='xml'/></kps:domain>"
       "<kps:domain type='simple'><kps:variable output='text'/></kps:domain>"
       "<kps:domain type='embraced'><html:tag name='b' output='xml'/></kps:domain>"
       "<kps:domain type='complex'><kps:component output='xml'/></kps:domain>"
       "<kps:domain type='extended' name='!(Grid)'><kps:block output='xml'/></kps:domain>",
       {},
       "kps:variable any in any component domain: output xml\n"
       "kps:block any in block domain: output xml\n"
       "html:tag tr in container domain Grid: output xml\n"
       "kps:variable any in simple domain: output text\n"
       "html:tag b in embraced domain: output xml\n"
       "kps:component (types any) in complex domain: output xml\n"
       "kps:block any in extended domain all but Grid: output xml\n"},
      {"a bad html:domain type is an error and keeps the tag type",
       "<html:domain type='Text' name='p'><kps:variable output='xml'/></html:domain>",
       {Error("invalid attribute value: 'Text'")},
       "kps:variable any in tag domain p: output xml\ntag domains p\n"},
      {"a bad kps:domain type is a warning and keeps any component",
       "<kps:domain type='grid'><kps:variable output='xml'/></kps:domain>",
       {Warning("invalid attribute value: 'grid'")},
       "kps:variable any in any component domain: output xml\n"},
      {"a tag domain without name adds every name to the tag-domain names",
       "<html:domain name='td'><html:tag output='xml'/></html:domain>"
       "<html:domain><html:tag name='b' output='xml'/></html:domain>",
       {},
       "html:tag any in tag domain td: output xml\nhtml:tag b in tag domain: output xml\n"
       "tag domains any\n"},
      {"only tag domains add tag-domain names",
       "<html:domain type='text' name='p'><kps:variable output='xml'/></html:domain>",
       {},
       "kps:variable any in text domain p: output xml\n"},
      {"the domain ends with its element",
       "<html:domain type='text'><kps:variable output='xml'/></html:domain>"
       "<kps:variable output='text'/>",
       {},
       "kps:variable any in text domain: output xml\nkps:variable any: output text\n"},
      {"faults inside a domain",
       "<html:domain type='text' kind='x'><if defined='a'/><html:domain/>"
       "<kps:variable output='xml'/></html:domain>",
       {Warning("invalid attribute: kind"), Warning("invalid node: if"),
        Warning("invalid node: html:domain")},
       "kps:variable any in text domain: output xml\n"},
  });
}

TEST(ProfileLoaderTest, ModeIndexesFollowKindAndDomain) {
  testing::RecordingDiagnostics diagnostics;
  ConverterProfile profile(&diagnostics);
  ComPtr<IXMLDOMDocument> doc = testing::LoadDocument(OneMode(
      "<html:tag name='a' output='xml'/>"
      "<html:domain type='text'><kps:variable output='xml'/><html:tag name='b' output='xml'/>"
      "</html:domain>"
      "<kps:domain type='block'><kps:variable output='text'/></kps:domain>"
      "<kps:variable output='rip'/>"));
  ASSERT_TRUE(ProfileLoader::Load(doc.Get(), profile));
  const ProfileMode& mode = *profile.FindMode(u"m");
  const auto& rules = mode.rules();
  ASSERT_EQ(rules.size(), 5u);
  using V = std::vector<ProfileRule*>;
  EXPECT_EQ(mode.RulesOfKind(RuleKind::kHtmlTag), (V{rules[0], rules[2]}));
  EXPECT_EQ(mode.RulesOfKind(RuleKind::kVariable), (V{rules[1], rules[3], rules[4]}));
  EXPECT_EQ(mode.DomainlessRulesOfKind(RuleKind::kVariable), (V{rules[4]}));
  EXPECT_EQ(mode.DomainlessRulesOfKind(RuleKind::kHtmlTag), (V{rules[0]}));
  EXPECT_EQ(mode.RulesOfDomain(DomainType::kText), (V{rules[1], rules[2]}));
  EXPECT_EQ(mode.RulesOfDomain(DomainType::kBlock), (V{rules[3]}));
  EXPECT_EQ(mode.RulesOfDomain(DomainType::kNone), (V{rules[0], rules[4]}));
  EXPECT_TRUE(mode.RulesOfKind(RuleKind::kNone).empty());
  for (const ProfileRule* rule : rules) EXPECT_EQ(rule->mode, &mode);
  EXPECT_EQ(mode.current_domain_type, DomainType::kNone);
  EXPECT_FALSE(mode.current_domain_names.IsSet());
}

TEST(ProfileLoaderTest, NestedConditions) {
  const std::string body =
      "<html:tag name='a' output='xml'/>"
      "<if defined='includeablePage'>"
      "  <html:tag name='b' output='xml'/>"
      "  <if undefined='design'>"
      "    <html:tag name='c' output='xml'/>"
      "    <!-- comment between --><?pi between?>"
      "    <if defined='design'><html:tag name='d' output='xml'/></if>"
      "    <html:domain type='text'><kps:variable output='xml'/></html:domain>"
      "  </if>"
      "  <html:tag name='e' output='xml'/>"
      "</if>"
      "<if undefined='includeablePage'><html:tag name='f' output='xml'/></if>"
      "<html:tag name='g' output='xml'/>";
  struct SymbolRow {
    const char* what;
    std::vector<std::u16string_view> symbols;
    std::string dump;
  };
  const std::string a = "html:tag a: output xml\n";
  const std::string g = "html:tag g: output xml\n";
  const SymbolRow rows[] = {
      {"nothing defined", {}, a + "html:tag f: output xml\n" + g},
      {"the outer symbol defined",
       {u"includeablePage"},
       a +
           "html:tag b: output xml\nhtml:tag c: output xml\n"
           "kps:variable any in text domain: output xml\nhtml:tag e: output xml\n" +
           g},
      {"symbols compare without regard to case",
       {u"INCLUDEABLEPAGE"},
       a +
           "html:tag b: output xml\nhtml:tag c: output xml\n"
           "kps:variable any in text domain: output xml\nhtml:tag e: output xml\n" +
           g},
      {"both defined",
       {u"includeablePage", u"design"},
       a + "html:tag b: output xml\nhtml:tag e: output xml\n" + g},
      {"only the inner symbol defined", {u"design"}, a + "html:tag f: output xml\n" + g},
  };
  for (const SymbolRow& row : rows) {
    SCOPED_TRACE(row.what);
    Loaded loaded = Load(OneMode(body), row.symbols);
    EXPECT_EQ(loaded.findings, std::vector<Finding>{});
    EXPECT_EQ(loaded.dump, row.dump);
  }
}

TEST(ProfileLoaderTest, ConditionAttributes) {
  struct ConditionRow {
    const char* what;
    std::string condition;  // attributes of the if element
    bool holds;
    std::vector<Finding> findings;
  };
  const ConditionRow rows[] = {
      {"defined symbol", "defined='sym'", true, {}},
      {"undefined symbol", "undefined='other'", true, {}},
      {"the last condition decides", "defined='sym' undefined='sym'", false, {}},
      {"the last condition decides, other order", "undefined='sym' defined='sym'", true, {}},
      {"alternatives: one begins with the symbol", "defined='other|symbolic'", true, {}},
      {"no condition tests the empty symbol", "", false, {}},
      {"an unknown attribute",
       "defined='sym' when='now'",
       true,
       {Warning("invalid attribute: when")}},
  };
  for (const ConditionRow& row : rows) {
    SCOPED_TRACE(row.what);
    Loaded loaded =
        Load(OneMode("<if " + row.condition + "><kps:block output='xml'/></if>"), {u"sym"});
    EXPECT_EQ(loaded.findings, row.findings);
    EXPECT_EQ(loaded.dump, row.holds ? "kps:block any: output xml\n" : "");
  }
}

}  // namespace
}  // namespace kpx
