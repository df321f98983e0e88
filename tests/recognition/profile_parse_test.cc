// The profile-driven parse through the converter: a profile in the host's profile folder, a
// template, the page XML, in tables grouped by the domain and output of the rules at work.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wrestrict"  // GCC 12 false positives in string concatenation
#endif
#include "recognition/recognition_test_support.h"

namespace kpx::testing {
namespace {

const char* const kComponents =
    "<component id=\"3\" name=\"Orders\" type=\"Grid\" container=\"true\">"
    "  <component id=\"4\" name=\"Title\" type=\"Label\">"
    "    <typeProperty name=\"hasExtendedHtml\" value=\"true\"/></component>"
    "</component>"
    "<component id=\"6\" name=\"Link1\" type=\"Link\"/>"
    "<component id=\"7\" name=\"Edit\" type=\"Record\" container=\"true\"/>";

// A profile of one "default" mode and one "design" mode.
std::string Profile(const std::string& default_rules, const std::string& design_rules = "") {
  return "<xconverterProfile xmlns:html='urn:h' xmlns:kps='urn:k' xmlns:sgml='urn:s'>"
         "<mode target='default'>" +
         default_rules + "</mode><mode target='design'>" + design_rules +
         "</mode></xconverterProfile>";
}

// A host whose settings name a profile file written for the test.
class ProfileHost {
 public:
  ProfileHost(const std::string& profile, int verbosity = 2) {
    folder_ = std::filesystem::temp_directory_path() /
              ("kpx-profile-" + std::to_string(::getpid()) + "-" + std::to_string(++count_));
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ / "p.xml") << profile;
    setup_ = {kComponents, "", "<translation name=\"Hi\">Hello</translation>", verbosity,
              "<option name=\"ConverterProfile\" value=\"p.xml\"/>"};
  }
  ~ProfileHost() { std::filesystem::remove_all(folder_); }
  const HostSetup& Setup() const { return setup_; }
  std::string Folder() const { return folder_.string() + "/"; }

 private:
  static inline int count_ = 0;
  std::filesystem::path folder_;
  HostSetup setup_;
};

struct Row {
  const char* what;
  std::string default_rules;
  std::string design_rules;
  const char* text;
  const char* xml;  // between <Page id="1" name="P"> and </Page>
};

void Check(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ProfileHost host(Profile(row.default_rules, row.design_rules));
    Recognizer recognizer(host.Setup(), host.Folder());
    HRESULT hr = E_FAIL;
    const std::string xml = recognizer.Convert(row.text, &hr);
    EXPECT_EQ(hr, S_OK);
    const std::string head = "<Page id=\"1\" name=\"P\">";
    ASSERT_EQ(xml.substr(0, head.size()), head) << xml;
    EXPECT_EQ(xml.substr(head.size()), std::string(row.xml) + "</Page>");
    std::vector<std::string> messages;
    if (row.default_rules.empty() && row.design_rules.empty()) {
      messages.push_back("Active converter profile mode has no rules");
    }
    EXPECT_EQ(recognizer.Messages(), messages);
  }
}

const std::string kComponentRule = "<kps:component type='*' output='xml'/>";

TEST(ProfileParseTest, ComponentsAndBlocks) {
  Check({
      {"a component block", kComponentRule, "",
       "<!-- BEGIN Grid Orders -->x<!-- END Grid Orders -->",
       "<Grid id=\"3\" name=\"Orders\"><Text><![CDATA[x]]></Text></Grid>"},
      {"a component whose rule says text: simulated", "<kps:component type='*' output='text'/>", "",
       "<!-- BEGIN Grid Orders -->x<!-- END Grid Orders -->",
       "<Text><![CDATA[<!-- BEGIN Grid Orders -->]]></Text><Text><![CDATA[x]]></Text>"
       "<Text><![CDATA[<!-- END Grid Orders -->]]></Text>"},
      {"a second BEGIN for one component: literal text", kComponentRule, "",
       "<!-- BEGIN Grid Orders --><!-- END Grid Orders --><!-- BEGIN Grid Orders -->"
       "<!-- END Grid Orders -->",
       "<Grid id=\"3\" name=\"Orders\" /><Text><![CDATA[<!-- BEGIN Grid Orders -->]]></Text>"
       "<Text><![CDATA[<!-- END Grid Orders -->]]></Text>"},
      {"rules of the container domain inside the Grid, numbered",
       kComponentRule + "<kps:domain type='container' name='Grid'>"
                        "<html:tag name='tr' output='xml:enumerateLocal'/></kps:domain>",
       "", "<tr>a</tr><!-- BEGIN Grid Orders --><tr>b</tr><tr>c</tr><!-- END Grid Orders -->",
       "<Text><![CDATA[<tr>a</tr>]]></Text><Grid id=\"3\" name=\"Orders\">"
       "<tr kpsLocalOrder=\"10\"><Text><![CDATA[b]]></Text></tr>"
       "<tr kpsLocalOrder=\"20\"><Text><![CDATA[c]]></Text></tr></Grid>"},
      {"a plain block with a rule; upperTag at its END",
       "<kps:block name='Row' output='xml:upperTag'/>", "", "<!-- BEGIN Row -->r<!-- END Row -->",
       "<BLOCK type=\"\" name=\"Row\"><Text><![CDATA[r]]></Text></BLOCK>"},
      {"a block without a rule: simulated", "", "", "<!-- BEGIN Row -->r<!-- END Row -->",
       "<Text><![CDATA[<!-- BEGIN Row -->]]></Text><Text><![CDATA[r]]></Text>"
       "<Text><![CDATA[<!-- END Row -->]]></Text>"},
      {"rip keeps the content, none drops it",
       "<kps:block name='Keep' output='rip'/><kps:block name='Drop' output='none'/>", "",
       "<!-- BEGIN Keep -->k<!-- END Keep --><!-- BEGIN Drop -->d<!-- END Drop -->",
       "<Text><![CDATA[k]]></Text>"},
      {"the extended domain of a Block with a type",
       kComponentRule + "<kps:block output='xml'/><kps:domain type='extended' name='Grid'>"
                        "<kps:block name='Row' output='xml:lowerTag'/></kps:domain>",
       "", "<!-- BEGIN Grid Other --><!-- BEGIN Row --><!-- END Row --><!-- END Grid Other -->",
       "<Block type=\"Grid\" name=\"Other\"><block type=\"\" name=\"Row\" /></Block>"},
      {"the design mode's rule wins", "<kps:block output='xml'/>",
       "<kps:block output='xml:simulate'/>", "<!-- BEGIN A -->a<!-- END A -->",
       "<Text><![CDATA[<!-- BEGIN A -->]]></Text><Text><![CDATA[a]]></Text>"
       "<Text><![CDATA[<!-- END A -->]]></Text>"},
  });
}

TEST(ProfileParseTest, Placeholders) {
  const std::string text_rules =
      "<kps:restrict><resource prefix='res'/></kps:restrict>"
      "<html:domain type='text'><kps:variable output='xml'/><kps:resource output='xml'/>"
      "</html:domain>";
  Check({
      {"variables and resources", text_rules, "", "a{V}{res:Hi}{url:X}{Orders:Y}",
       "<Text><![CDATA[a]]></Text><Variable name=\"V\" />"
       "<Resource name=\"Hi\" kpsPrefix=\"res\" kpsText=\"Hello\" />"
       "<Text><![CDATA[{url:X}]]></Text><Resource name=\"Y\" kpsPrefix=\"Orders\" />"},
      {"no rule: text", "", "", "a{V}", "<Text><![CDATA[a{V}]]></Text>"},
      {"none drops", "<kps:variable output='none'/>", "", "a{V}b",
       "<Text><![CDATA[a]]></Text><Text><![CDATA[b]]></Text>"},
      {"an embraced component in the text", kComponentRule, "", "{Title_Name}",
       "<Label id=\"4\" name=\"Title\" />"},
      {"attribute values: rip takes the placeholder out, restrictions choose the attributes",
       "<html:restrict><tag name='a' attr='href'/></html:restrict>"
       "<html:domain type='attribute'><kps:variable output='rip'/>"
       "<kps:component type='Link' output='rip'/></html:domain>",
       "", "<a href=\"{V}\" title=\"{W}\"><img src=\"{Link1_Src}\"></a>",
       "<Text><![CDATA[<a href=\"]]></Text><Variable name=\"V\" kpsInsideTag=\"true\" />"
       "<Text><![CDATA[\" title=\"{W}\"><img src=\"{Link1_Src}\"></a>]]></Text>"},
      {"a comment as a node, its placeholders in the comment domain",
       "<sgml:comment output='xml'/><html:domain type='comment'><kps:variable output='xml'/>"
       "</html:domain>",
       "", "<!-- a {V} b -->",
       "<kpsComment><Text><![CDATA[ a ]]></Text><Variable name=\"V\" />"
       "<Text><![CDATA[ b ]]></Text></kpsComment>"},
  });
}

TEST(ProfileParseTest, Tags) {
  Check({
      {"an element with its attributes, scripts as raw text, enclosed",
       "<html:tag name='p' output='xml'><flag name='kpsP'/></html:tag>"
       "<html:tag name='script' output='xml:rawContent;encloseInTag'/>",
       "", "<P class=\"x\">a<b>b</b></P><script>if (a<b) {V}</script>",
       "<P class=\"x\" kpsP=\"true\"><Text><![CDATA[a<b>b</b>]]></Text></P>"
       "<script><Text><![CDATA[if (a<b) {V}]]></Text></script>"},
      {"a denied tag: copied with the marker, no scope, the end tag stays the parent's",
       "<html:tag name='div' balance='deny' output='xml'/>", "", "<div>a</div>",
       "<Text><![CDATA[<div "
       "kpsForcelyBalanced=\"true\">]]></Text><Text><![CDATA[a</div>]]></Text>"},
      {"a validated end tag that closes nothing", "<html:tag name='form' balance='validate'/>", "",
       "a</form>b",
       "<Text><![CDATA[a]]></Text><Text><![CDATA[</form>]]></Text><Text><![CDATA[b]]></Text>"},
      {"rip keeps the content, none drops the element",
       "<html:tag name='font' output='rip'/><html:tag name='blink' output='none'/>", "",
       "<font size=\"2\">f</font><blink>b<i>c</i></blink>.",
       "<Text><![CDATA[f]]></Text><Text><![CDATA[.]]></Text>"},
      {"none without its end tag keeps the content", "<html:tag name='blink' output='none'/>", "",
       "<blink>b", "<Text><![CDATA[b]]></Text>"},
      {"an end tag past an element that needs its own end tag stays text; implied ends close",
       "<html:tag name='b;i;tr;td' output='xml'/>", "", "<b><i>x</b>y</i><tr><td>1<td>2</tr>",
       "<b><i><Text><![CDATA[x</b>y]]></Text></i><tr><td><Text><![CDATA[1]]></Text></td>"
       "<td><Text><![CDATA[2]]></Text></td></tr></b>"},
      {"tag domain: the rule inside td only",
       "<html:tag name='td' output='xml'/><html:domain type='tag' name='td'>"
       "<html:tag name='b' output='xml:upperTag'/></html:domain>",
       "", "<b>x</b><td><b>y</b></td>",
       "<Text><![CDATA[<b>x</b>]]></Text><td><B><Text><![CDATA[y]]></Text></B></td>"},
      {"a declaration and a comment as text; a declaration as a node",
       "<sgml:declaration name='DOCTYPE' output='xml'/><sgml:comment output='text'/>", "",
       "<!DOCTYPE html><!-- c -->", "<DOCTYPE>html</DOCTYPE><Text><![CDATA[<!-- c -->]]></Text>"},
  });
}

TEST(ProfileParseTest, ModesAndMessages) {
  // Through convertUsingProfile: the effective mode is "default" plus the mode asked for.
  const std::string profile =
      "<xconverterProfile xmlns:html='urn:h' xmlns:kps='urn:k' xmlns:sgml='urn:s'>"
      "<mode target='default'><kps:variable output='xml'><flag name='kpsDefault'/></kps:variable>"
      "</mode><mode target='generation'><kps:variable output='xml'><flag name='kpsGeneration'/>"
      "</kps:variable></mode><mode target='sync'><kps:variable output='none'/></mode>"
      "</xconverterProfile>";
  struct Case {
    const char* target;
    const char* contains;
  } cases[] = {{"default", "kpsDefault"},
               {"design", "kpsDefault"},
               {"generation", "kpsGeneration"},
               {"sync", "<Page id=\"1\" name=\"P\"/>"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    Recognizer recognizer({kComponents, "", "", 2, ""});
    HRESULT hr = E_FAIL;
    const std::string xml = recognizer.ConvertWithProfile(profile, "{V}", c.target, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_NE(xml.find(c.contains), std::string::npos) << xml;
  }
  // A document that is no forward profile: the loader's error, no document, still S_OK.
  Recognizer rejected({kComponents, "", "", 2, ""});
  HRESULT hr = E_FAIL;
  EXPECT_EQ(rejected.ConvertWithProfile("<xconverterReverseProfile/>", "x", "design", &hr), "");
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(
      rejected.Messages(),
      std::vector<std::string>{"Converter profile loading error: expected: xconverterProfile"});

  // The same through the host's settings: the direct conversion has no tree and fails.
  ProfileHost reverse("<xconverterReverseProfile/>");
  Recognizer direct(reverse.Setup(), reverse.Folder());
  direct.Convert("x", &hr);
  EXPECT_EQ(hr, E_FAIL);
  EXPECT_EQ(direct.Messages(), std::vector<std::string>{
                                   "Converter profile loading error: expected: xconverterProfile"});

  // Synchronization in mode "sync" with positional messages; an error rule's message.
  ProfileHost host(
      Profile("<kps:component type='*' output='xml'/>"
              "<html:domain type='tag' name='td'>"
              "<html:tag name='form' output='error:XX_FormInsideTableCell'/>"
              "</html:domain><html:tag name='td' output='xml'/>"));
  Recognizer sync(host.Setup(), host.Folder());
  EXPECT_EQ(
      sync.Parse("[kps_sync]<!-- BEGIN Grid Orders -->\n<!-- BEGIN Grid Orders --><td><form>"),
      S_OK);
  EXPECT_EQ(sync.Messages(),
            (std::vector<std::string>{"XX_Duplicate_Component(Orders|) @2:1",
                                      "XX_FormInsideTableCell @2:31",
                                      "KPProject_Synchronize_EBlockNotFound(Grid|Orders) @2:1",
                                      "KPProject_Synchronize_EBlockNotFound(Grid|Orders) @1:1",
                                      "XX_UnClosedTagBeforeContainerEnd(form|Orders) @2:31"}));
  // A mode without rules.
  ProfileHost empty("<xconverterProfile/>");
  Recognizer quiet(empty.Setup(), empty.Folder());
  quiet.Convert("x");
  EXPECT_EQ(quiet.Messages(),
            std::vector<std::string>{"Active converter profile mode has no rules"});
}

TEST(ProfileParseTest, SameOutputWhateverRanBefore) {
  const char* text = "<b>x</b>";
  ProfileHost plain(Profile("<html:tag name='b' output='xml'/>"));
  Recognizer fresh(plain.Setup(), plain.Folder());
  const std::string expected = fresh.Convert(text);
  // A conversion that denies every tag by a rule that also governs b, then the first one again.
  ProfileHost denying(Profile("<html:tag name='div;b' balance='deny' output='xml'/>"));
  Recognizer before(denying.Setup(), denying.Folder());
  EXPECT_NE(before.Convert("<div>d</div><b>y</b>").find("kpsForcelyBalanced"), std::string::npos);
  Recognizer after(plain.Setup(), plain.Folder());
  EXPECT_EQ(after.Convert(text), expected);
  EXPECT_EQ(expected, "<Page id=\"1\" name=\"P\"><b><Text><![CDATA[x]]></Text></b></Page>");
}

}  // namespace
}  // namespace kpx::testing
