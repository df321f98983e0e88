// The host file loader: the example file, and broken files reported at their line and column.
#include "x2x/host_file_loader.h"

#include <gtest/gtest.h>

#include <map>

#include "base/utf.h"

namespace x2x {
namespace {

using kpx::ToUtf16;

// Template files served from memory.
HostFileReader MemoryReader(std::map<std::string, std::string> files) {
  return [files = std::move(files)](const std::filesystem::path& path,
                                    std::string* error) -> std::optional<std::string> {
    auto it = files.find(path.string());
    if (it == files.end()) {
      *error = path.string() + ": no such file";
      return std::nullopt;
    }
    return it->second;
  };
}

HostData Parse(std::string_view text, std::map<std::string, std::string> files = {}) {
  return ParseHostFile(text, "h.xml", "/site", MemoryReader(std::move(files)));
}

std::string ErrorOf(std::string_view text, std::map<std::string, std::string> files = {}) {
  try {
    Parse(text, std::move(files));
  } catch (const HostFileError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(HostFileLoaderTest, LoadsTheExample) {
  HostData host = LoadHostFile(KPX_SOURCE_DIR "/examples/host.xml");
  std::string examples =
      std::filesystem::path(KPX_SOURCE_DIR "/examples").lexically_normal().string();

  EXPECT_EQ(host.options.at(u"HTMLFormatting").at(u"ConverterVerbosityLevel"), u"3");
  EXPECT_EQ(host.options.at(u"HTMLEditor").at(u"SwitchToDesignOnError"), u"ask");
  EXPECT_EQ(host.messages.at(u"KPProject_Synchronize_Pos"), u"(line %s, column %s)");
  EXPECT_EQ(host.messages.at(u"XX_CloseTagsMismatch"), u"The tag <%s> is closed by </%s>.");

  ASSERT_TRUE(host.project);
  EXPECT_EQ(host.project->values.at(u"siteLanguage"), u"en");
  EXPECT_EQ(host.project->settings.at(u"showSyncDlg"), u"");
  EXPECT_EQ(host.project->items.at(u"Grid").properties.at(u"templatePath"),
            ToUtf16(examples + "/profiles/"));
  EXPECT_EQ(host.project->items.at(u"site").properties.at(u"htmlTagsToParse"), u"form;label");
  EXPECT_EQ(host.project->translations.at(u"de").at(u"Update"), u"Speichern\\nund schließen");
  EXPECT_EQ(host.project->translations.at(u"en").at(u"Spacer"), u" ");
  EXPECT_EQ(host.project->directory, ToUtf16(examples));

  ASSERT_TRUE(host.componentTypes);
  EXPECT_TRUE(host.componentTypes->at(u"grid").container);
  EXPECT_TRUE(host.componentTypes->at(u"grid").block);
  EXPECT_EQ(host.componentTypes->at(u"grid").canonicalName, u"Grid");
  ASSERT_EQ(host.blocks.size(), 2u);
  EXPECT_EQ(host.blocks[1].state1, 0);
  EXPECT_FALSE(host.blocks[1].state2);
  EXPECT_EQ(host.blocks[1].result1, 8);
  EXPECT_EQ(host.blocks[1].result2, -1);
  EXPECT_EQ(host.formats.size(), 1u);

  ASSERT_EQ(host.pages.size(), 2u);
  const PageData& page = host.pages[0];
  EXPECT_EQ(page.name, u"OrdersList");
  EXPECT_EQ(page.fileName, u"OrdersList.html");
  EXPECT_EQ(page.directory, ToUtf16(examples + "/pages"));
  EXPECT_EQ(page.properties.at(u"isIncluded"), u"false");
  EXPECT_EQ(page.templateText.substr(0, 9), u"<!DOCTYPE");
  ASSERT_EQ(page.topLevel.size(), 4u);
  const ComponentData& orders = page.components[page.topLevel[1]];
  EXPECT_EQ(orders.name, u"Orders");
  EXPECT_TRUE(orders.container);
  EXPECT_EQ(orders.elementName, u"Grid");
  ASSERT_EQ(orders.children.size(), 4u);
  const ComponentData& navigator = page.components[orders.children[3]];
  EXPECT_EQ(navigator.type, u"Navigator");
  EXPECT_EQ(page.components[navigator.parent].name, u"Orders");
  const ComponentData& welcome = page.components[page.topLevel[0]];
  EXPECT_EQ(welcome.typeProperties.at(u"hasExtendedHtml"), u"true");
  ASSERT_TRUE(welcome.html);
  EXPECT_EQ(host.formats.at(*welcome.html), u"{Welcome}");
  EXPECT_EQ(host.pages[1].properties.at(u"isIncluded"), u"true");
  EXPECT_EQ(host.pages[1].templateText.substr(0, 20), u"<div class=\"Header\">");
}

TEST(HostFileLoaderTest, KeepsTextsExactlyAndResolvesOnlyPaths) {
  HostData host = Parse(
      "<host>\n"
      "  <messages><message key='k'>  two\n lines &amp; <![CDATA[<b>]]></message></messages>\n"
      "  <options><section name='s'>\n"
      "    <option name='literal' value='a/b'/>\n"
      "    <option name='relative' path='a/../b/'/>\n"
      "    <option name='absolute' path='/etc/x'/>\n"
      "  </section></options>\n"
      "  <page id='-5' name='P'><template>\n <![CDATA[<p>{x}</p>]]></template></page>\n"
      "</host>");
  EXPECT_EQ(host.messages.at(u"k"), u"  two\n lines & <b>");
  EXPECT_EQ(host.options.at(u"s").at(u"literal"), u"a/b");
  EXPECT_EQ(host.options.at(u"s").at(u"relative"), u"/site/b/");  // the final "/" stays
  EXPECT_EQ(host.options.at(u"s").at(u"absolute"), u"/etc/x");
  EXPECT_EQ(host.pages[0].id, -5);
  EXPECT_EQ(host.pages[0].templateText, u"\n <p>{x}</p>");
  EXPECT_FALSE(host.project);
  EXPECT_FALSE(host.componentTypes);
}

TEST(HostFileLoaderTest, ReadsTemplateFilesInTheirEncoding) {
  HostData host = Parse(
      "<host><page id='1' name='A'><template file='a.html'/></page>"
      "<page id='2' name='B'><template file='sub/../b.html'/></page></host>",
      {{"/site/a.html", "\xEF\xBB\xBF<p>\xC3\xA9</p>"},
       {"/site/b.html", std::string("\xFF\xFE<\0p\0", 6)}});
  EXPECT_EQ(host.pages[0].templateText, u"<p>é</p>");
  EXPECT_EQ(host.pages[1].templateText, u"<p");
}

TEST(HostFileLoaderTest, AFileWithoutPagesGetsTheEmptyPage) {
  HostData host = Parse("<host version='1'/>");
  ASSERT_EQ(host.pages.size(), 1u);
  EXPECT_EQ(host.pages[0].id, 1);
  EXPECT_EQ(host.pages[0].name, u"Page");
  EXPECT_EQ(host.pages[0].directory, u"/site");
  EXPECT_EQ(host.pages[0].templateText, u"");
}

TEST(HostFileLoaderTest, ReportsBrokenFilesAtTheirPlace) {
  struct Row {
    const char* name;
    std::string text;
    const char* expected;  // the whole message
  };
  const Row rows[] = {
      {"not XML", "hello", "h.xml:1:1: not well-formed XML: Start tag expected, '<' not found"},
      {"empty", "", "h.xml:1:1: not well-formed XML: Document is empty"},
      {"wrong root", "<?xml version='1.0'?>\n  <hosts/>",
       "h.xml:2:3: the root element must be <host>, not <hosts>"},
      {"missing attribute",
       "<host>\n  <page id='1' name='P'>\n    <component id='2' name='G'/></page></host>",
       "h.xml:3:5: <component> needs the attribute 'type'"},
      {"bad number",
       "<host><page id='1' name='P'>\n\t<component id='3x' name='G' type='Grid'/></page></host>",
       "h.xml:2:2: bad number '3x' in attribute 'id' of <component> (a whole number is expected)"},
      {"number out of range", "<host><page id='2147483648' name='P'/></host>",
       "h.xml:1:7: bad number '2147483648' in attribute 'id' of <page> (a whole number is "
       "expected)"},
      {"bad flag",
       "<host><page id='1' name='P'><component id='2' name='G' type='Grid' "
       "container='yes'/></page></host>",
       "h.xml:1:29: bad value 'yes' in attribute 'container' of <component> (true or false is "
       "expected)"},
      {"unknown element", "<host>\n<pages/></host>",
       "h.xml:2:1: unknown element <pages> in <host>"},
      {"unknown attribute", "<host><project dir='x'/></host>",
       "h.xml:1:7: unknown attribute 'dir' on <project>"},
      {"value and path", "<host><project><value name='a' value='1' path='p'/></project></host>",
       "h.xml:1:16: <value> needs exactly one of the attributes 'value' and 'path'"},
      {"duplicate option",
       "<host><options><section name='s'><option name='a' value='1'/>\n<option name='a' "
       "value='2'/></section></options></host>",
       "h.xml:2:1: duplicate <option> named 'a'"},
      {"duplicate page name", "<host><page id='1' name='P'/>\n <page id='2' name='P'/></host>",
       "h.xml:2:2: duplicate page name 'P'"},
      {"duplicate component id",
       "<host><page id='1' name='P'><component id='2' name='A' type='Label'>"
       "<component id='2' name='B' type='Label'/></component></page></host>",
       "h.xml:1:69: duplicate component id 2 in this page"},
      {"duplicate sibling name",
       "<host><page id='1' name='P'><component id='2' name='A' type='Label'/>"
       "<component id='3' name='a' type='Label'/></page></host>",
       "h.xml:1:70: duplicate component name 'a' at this level"},
      {"text where elements go", "<host><options>text</options></host>",
       "h.xml:1:7: <options> holds elements only, not text"},
      {"element where text goes",
       "<host><messages><message key='k'>a<b/></message></messages></host>",
       "h.xml:1:35: <message> holds text only, not <b>"},
      {"two projects", "<host><project/>\n<project/></host>",
       "h.xml:2:1: <host> holds one <project> only"},
      {"format without result",
       "<host><formatter><format><extent>a</extent></format></formatter></host>",
       "h.xml:1:18: <format> needs an <extent> and a <result>"},
      {"unknown version", "<host version='2'/>",
       "h.xml:1:1: unsupported host file version '2' (1 is known)"},
      {"unclosed element", "<host>\n  <page id='1' name='P'>\n</host>",
       "h.xml:3:8: not well-formed XML: Opening and ending tag mismatch: page line 2 and host"},
      {"DOCTYPE", "<!DOCTYPE host [<!ENTITY a 'b'>]>\n<host/>",
       "h.xml:1:1: a host file takes no DOCTYPE"},
      {"invalid UTF-8", "<host>\n  <messages><message key='k'>a\xC3(</message></messages></host>",
       "h.xml:2:31: invalid UTF-8 (byte offset 37)"},
      {"UTF-16", "\xFF\xFE<\0h\0",
       "h.xml:1:1: host files are UTF-8; this one starts with a UTF-16 "
       "byte-order mark"},
      {"other encoding", "<?xml version='1.0' encoding='ISO-8859-1'?><host/>",
       "h.xml:1:1: host files are UTF-8; this one declares the encoding ISO-8859-1"},
      {"missing template",
       "<host><page id='1' name='P'>\n  <template file='gone.html'/></page></host>",
       "h.xml:2:3: cannot read the template: /site/gone.html: no such file"},
      {"template file and text",
       "<host><page id='1' name='P'><template file='t'>x</template></page></host>",
       "h.xml:1:29: <template> takes either a file or text, not both"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ErrorOf(row.text), row.expected);
  }
}

TEST(HostFileLoaderTest, ReportsTemplatesThatDoNotDecode) {
  EXPECT_EQ(ErrorOf("<host><page id='1' name='P'><template file='t.html'/></page></host>",
                    {{"/site/t.html", "ab\xFF"}}),
            "h.xml:1:29: template /site/t.html: invalid UTF-8 at byte offset 2");
}

TEST(HostFileLoaderTest, ReportsAMissingHostFileByName) {
  try {
    LoadHostFile("/nonexistent/host.xml");
    FAIL() << "no error";
  } catch (const HostFileError& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot read host file /nonexistent/host.xml: No such file or directory");
  }
}

TEST(TextPositionsTest, CountsLinesAsXmlDoesAndColumnsInCharacters) {
  struct Row {
    const char* text;
    size_t offset;
    size_t line;
    size_t column;
  };
  const Row rows[] = {
      {"abc", 0, 1, 1},  {"abc", 2, 1, 3},       {"a\nb", 2, 2, 1}, {"a\r\nb", 3, 2, 1},
      {"a\rb", 2, 2, 1}, {"\xC3\xA9x", 2, 1, 2}, {"ab", 99, 1, 3},  {"a\n\nb", 3, 3, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    TextPosition at = TextPositions(row.text).Locate(row.offset);
    EXPECT_EQ(at.line, row.line);
    EXPECT_EQ(at.column, row.column);
  }
}

}  // namespace
}  // namespace x2x
