// Template pre-processing, through backTransformation (on a page whose writer then wraps the
// text in CDATA), and the file URL rules on their own.
#include <gtest/gtest.h>

#include <cstdlib>

#include "registry/registry_store.h"
#include "reverse/file_urls.h"
#include "reverse/reverse_test_support.h"

namespace kpx::testing {
namespace {

// The registry store the colours come from: a file of the test's own.
class RegistryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("kpx-reverse-" + std::to_string(::getpid()) + ".xml");
    std::filesystem::remove(path_);
    setenv("KPX_REGISTRY", path_.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove(path_); }

 private:
  std::filesystem::path path_;
};
const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new RegistryEnvironment);

void SetColours(const std::u16string& value) {
  RegistryStore store = RegistryStore::Load(RegistryStore::DefaultPath());
  store.SetValue(RegistryHive::kCurrentUser,
                 u"SOFTWARE\\Orvelle\\KeyPlexStudio4\\Options\\HTMLFormatting",
                 u"RemoveFontTagWithColors", value);
  store.Save();
}

std::string Wrapped(const std::string& text) {
  return "<Page><![CDATA[" + text + "]]></Page>";
}

struct PreprocessCase {
  const char* name;
  std::string text;
  std::string expected;  // the text as the writer receives it
};

TEST(TemplatePreprocessing, UndoesTheEditorsChanges) {
  const PreprocessCase cases[] = {
      {"encoded braces", "<a href=\"%7BLink%7d\">x</a>", "<a href=\"{Link}\">x</a>"},
      {"picture below the page", "<img src=\"file:///site/pages/img/a.gif\" />",
       "<img src=\"img/a.gif\" />"},
      {"picture below the project", "<img src=\"file:///SITE/Pic%20s/a.gif\"/>",
       "<img src=\"../Pic%20s/a.gif\"/>"},
      {"picture beside the project", "<input src=\"file:///other/a.gif\">",
       "<input src=\"../../other/a.gif\"/>"},
      {"drive letter", "<img src=\"file:///C:/x/a.gif\"/>", "<img src=\"file:///C:/x/a.gif\"/>"},
      {"link into the page itself", "<a href=\"file:///tmp/~P.html?x=1#top\">t</a>",
       "<a href=\"?x=1#top\">t</a>"},
      {"not a file URL", "<a href=\"http://site/pages/a.html\">t</a>",
       "<a href=\"http://site/pages/a.html\">t</a>"},
      {"single quotes for resources in pages", "<a href=\"a.aspx?t=%7Bres:T%7D\">t</a>",
       "<a href='a.aspx?t={res:T}'>t</a>"},
      {"renamed style", "<div kpsXStyle=\"color:red\">x</div>", "<div style=\"color:red\">x</div>"},
      {"character repair", "A&#194;B",
       "A\xC3\x82"
       "B"},
      {"default colour font removed",
       "<font color=\" #0066CC \">x<b>y</b></font><font color=red>z</font>",
       "x<b>y</b><font color=red>z</font>"},
      {"empty elements closed", "<br><hr/><link rel=x>", "<br/><hr/><link rel=x/>"},
      {"content type meta moved",
       "<head><title>t</title><meta http-equiv=\"content-type\" content=x>",
       "<head><meta http-equiv=\"content-type\" content=x/><title>t</title>"},
      {"body content out of the head",
       "<html><b>x</b><head></head><span kpsServiceable=\"no\">s<span>t</span></span><body>y",
       "<html>x<head></head><body><b></b><span kpsserviceable=\"no\">s<span>t</span></span>y"},
      {"nothing cut without a body", "<html><b>x</b><head></head>", "<html><b>x</b><head></head>"},
      {"stray paragraph end", "<div><p>a<font>b</p></font></div>", "<div>a<font>b</font></div>"},
      {"form closes what opened inside it", "<form><p>a</form></p>", "<form><p>a</form>"},
      {"empty span kept", "<span kpsServiceable=\"no\" id=s></SPAN>",
       "<span kpsserviceable=\"no\" id=s>&nbsp;</SPAN>"},
  };
  for (const PreprocessCase& c : cases) {
    SCOPED_TRACE(c.name);
    BackHost host;
    host.components = "";
    BackTransformer back(host);
    HRESULT hr = E_FAIL;
    std::string xml = back.Back(c.text, &hr);
    EXPECT_EQ(hr, S_OK);
    // The writer lower-cases the tags it looks at; compare what pre-processing made.
    EXPECT_EQ(xml, Wrapped(c.expected)) << xml;
  }
}

TEST(TemplatePreprocessing, ColoursComeFromTheRegistryOnEveryCall) {
  BackHost host;
  host.components = "";
  BackTransformer back(host);
  const std::string text =
      "<font color=red>a</font><font color='#ABCDEF'>b</font>"
      "<font color=#0066cc>c</font>";
  SetColours(u" red ;;#abcdef");
  EXPECT_EQ(back.Back(text), Wrapped("ab<font color=#0066cc>c</font>"));
  SetColours(u"");
  EXPECT_EQ(back.Back(text), Wrapped("<font color=red>a</font><font color='#ABCDEF'>b</font>c"));
}

TEST(TemplatePreprocessing, RejectsASpanWithoutServiceableTags) {
  BackTransformer back;
  HRESULT hr = S_OK;
  EXPECT_EQ(back.Back("<p><span>x</span></p>", &hr), "");
  EXPECT_EQ(hr, E_INVALIDARG);
  back.Back("<p><SPAN kpsServiceable>x</SPAN></p>", &hr);
  EXPECT_EQ(hr, S_OK);
  back.Back("<p>x</p>", &hr);
  EXPECT_EQ(hr, S_OK);
}

TEST(TemplatePreprocessing, FormatterRewritesExtentsOfComponentsWithoutPosition) {
  BackHost host;
  host.formatter =
      "<format><extent><![CDATA[<span kpsServiceable=\"true\" kpsId=\"4\">T</span>]]></extent>"
      "<result>{Title}</result></format>"
      "<format><extent><![CDATA[<span kpsServiceable=\"true\" kpsId=\"6\">L</span>]]></extent>"
      "<result>never asked</result></format>";
  BackTransformer back(host);
  // Title has no position: its extent, without the listed font, goes to the formatter; Link1
  // has one and stays.
  EXPECT_EQ(back.Back("<span kpsServiceable=\"true\" kpsId=\"4\"><font color=#0066cc>T</font>"
                      "</span><span kpsServiceable=\"true\" kpsId=\"6\">L</span>"),
            "<Page><Variable name=\"Title\"/><Link id=\"6\" name=\"Link1\"><![CDATA[<span "
            "kpsserviceable=\"true\" kpsid=\"6\">L</span>]]></Link></Page>");
}

// The reverse profile of the host's settings: loaded by the first call and kept; one that does
// not load is reported, and the text keeps its characters.
TEST(TemplatePreprocessing, ReverseProfileSubstitutes) {
  for (const auto& [file, expected] :
       {std::pair{"ReverseProfile.xml", "a&nbsp;b../c&#194;"}, std::pair{"Missing.xml",
                                                                         "a\xC2\xA0"
                                                                         "b..\\c\xC3\x82"}}) {
    SCOPED_TRACE(file);
    BackHost host;
    host.components = "";
    host.options = std::string(
                       "<option name=\"ConverterVerbosityLevel\" value=\"1\"/>"
                       "<option name=\"ReverseConverterProfile\" value=\"") +
                   file + "\"/>";
    host.project = "<item name=\"Grid\"><property name=\"templatePath\" value=\"" KPX_SOURCE_DIR
                   "/examples/profiles/\"/></item>";
    BackTransformer back(host);
    EXPECT_EQ(back.Back("a\xC2\xA0"
                        "b..\\c&#194;"),
              Wrapped(expected));
    back.Back("x");
    std::size_t reads = 0;
    for (const auto& [section, name] : back.Host().OptionReads()) {
      if (name == u"ReverseConverterProfile") ++reads;
    }
    std::vector<std::string> messages;
    for (const auto& message : back.Host().Messages()) messages.push_back(ToUtf8(message.text));
    if (std::string(file) == "Missing.xml") {
      EXPECT_EQ(reads, 2u);
      EXPECT_EQ(messages, std::vector<std::string>(2, "failed to load reverse converter profile"));
    } else {
      EXPECT_EQ(reads, 1u);
      EXPECT_TRUE(messages.empty());
    }
  }
}

struct FileUrlCase {
  const char* value;
  const char* expected;  // null: unchanged
};

TEST(TemplatePreprocessing, FileUrlsBecomeRelativeToThePage) {
  const PathContext paths = MakePathContext(u"P.html", u"/site/pages/", u"/site");
  EXPECT_EQ(paths.page_to_project, u"../");
  const FileUrlCase cases[] = {
      {"file:///site/pages/a.gif", "a.gif"},
      {"file:///site/pages%2Fsub/a.gif", "sub/a.gif"},
      {"file:///site\\pages\\a.gif", "a.gif"},
      {"file://server/share/a.gif", nullptr},
      {"file:///site/x/a.gif", "../x/a.gif"},
      {"file:///sitex/a.gif", "../../sitex/a.gif"},
      {"file:///home/a.gif", "../../home/a.gif"},
      {"file:///C:/a.gif", nullptr},
      {"/site/pages/a.gif", nullptr},
  };
  for (const FileUrlCase& c : cases) {
    SCOPED_TRACE(c.value);
    auto result = RelativeFileUrl(ToUtf16(c.value), paths);
    if (c.expected) {
      ASSERT_TRUE(result);
      EXPECT_EQ(ToUtf8(*result), c.expected);
    } else {
      EXPECT_FALSE(result);
    }
  }
  EXPECT_EQ(MakePathContext(u"", u"C:\\a\\b", u"c:/a/c").page_to_project, u"../c/");
}

}  // namespace
}  // namespace kpx::testing
