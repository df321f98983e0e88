// The built-in parse through convertCustom: templates as people write them, in tables of
// {template, host, page XML}.
#include <gtest/gtest.h>

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wrestrict"  // GCC 12 false positives in string concatenation
#endif
#include "recognition/recognition_test_support.h"

namespace kpx::testing {
namespace {

const char* const kComponents =
    "<component id=\"3\" name=\"Orders\" type=\"Grid\" container=\"true\">"
    "  <component id=\"4\" name=\"Title\" type=\"Label\"/>"
    "  <component id=\"5\" name=\"Details\" type=\"Panel\" container=\"true\"/>"
    "</component>"
    "<component id=\"6\" name=\"Link1\" type=\"Link\"/>"
    "<component id=\"7\" name=\"Edit\" type=\"Record\" container=\"true\"/>"
    "<component id=\"8\" name=\"Name\" type=\"TextBox\"/>"
    "<component id=\"9\" name=\"Hint\" type=\"Label\"/>";

struct Row {
  const char* what;
  const char* text;
  const char* xml;  // between <Page id="1" name="P"> and </Page>
};

void Check(const HostSetup& setup, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Recognizer recognizer(setup);
    HRESULT hr = E_FAIL;
    const std::string xml = recognizer.Convert(row.text, &hr);
    EXPECT_EQ(hr, S_OK);
    const std::string head = "<Page id=\"1\" name=\"P\">";
    ASSERT_EQ(xml.substr(0, head.size()), head) << xml;
    EXPECT_EQ(xml.substr(head.size()), std::string(row.xml) + "</Page>");
  }
}

TEST(BuiltInParseTest, PlaceholdersAndBraceTexts) {
  HostSetup setup{kComponents, "",
                  "<translation name=\"Hi\">Hel\\nlo</translation>"
                  "<translation name=\"Sp\"> \t</translation>"
                  "<translation name=\"No\"></translation>",
                  2, ""};
  Check(
      setup,
      {
          {"a variable", "a{Count}b",
           "<Text><![CDATA[a]]></Text><Variable name=\"Count\" />"
           "<Text><![CDATA[b]]></Text>"},
          {"not placeholders", "{ A }{row.NAME}{return false;}{}",
           "<Text><![CDATA[{ A }{row.NAME}"
           "{return false;}{}]]></Text>"},
          {"resources", "{res:Hi}{res:Sp}{res:No}{res:Gone}{img:Logo}",
           "<Resource name=\"Hi\" kpsPrefix=\"res\" kpsText=\"Hel&lt;br&gt;lo\" />"
           "<Resource name=\"Sp\" kpsPrefix=\"res\" kpsText=\" &#9;\" "
           "kpsBlockIsWhiteSpace=\"true\" />"
           "<Resource name=\"No\" kpsPrefix=\"res\" kpsText=\"\" />"
           "<Resource name=\"Gone\" kpsPrefix=\"res\" /><Resource name=\"Logo\" kpsPrefix=\"img\" "
           "/>"},
          {"components that carry extended HTML, any depth, any case, once", "{title}{Title}{Name}",
           "<Label id=\"4\" name=\"title\" /><Variable name=\"Title\" />"
           "<Variable name=\"Name\" />"},
          {"in attribute values and script strings",
           "<a href=\"{Link1_Src}\">x</a><script>var s='{Hint_Name}';</script>",
           "<Text><![CDATA[<a href=\"]]></Text><Link id=\"6\" name=\"Link1\" kpsInsideTag=\"true\" "
           "/>"
           "<Text><![CDATA[\">x</a><script>var s=']]></Text>"
           "<Label id=\"9\" name=\"Hint\" kpsInsideTag=\"true\" "
           "/><Text><![CDATA[';</script>]]></Text>"},
          {"a placeholder where an attribute would be", "<input type=\"radio\" {CHECKED} />",
           "<Text><![CDATA[<input type=\"radio\" {CHECKED} />]]></Text>"},
          {"a placeholder in the head", "<html><head>{Meta}<title>{T}</title></head></html>",
           "<Text><![CDATA[<html><head>]]></Text><meta name=\"kpsProxyBraces\" value=\"Meta\" />"
           "<Text><![CDATA[<title>]]></Text><Variable name=\"T\" />"
           "<Text><![CDATA[</title></head></html>]]></Text>"},
      });
}

TEST(BuiltInParseTest, Blocks) {
  HostSetup setup{kComponents, "", "", 2, ""};
  Check(
      setup,
      {
          {"a component block, the host's name in any case",
           "<!-- BEGIN grid orders -->x<!-- END grid orders -->",
           "<Grid type=\"grid\" name=\"orders\" id=\"3\"><Text><![CDATA[x]]></Text></Grid>"},
          {"a block that opens an element for a later block to close",
           "<!-- BEGIN ulist_open --><ul><!-- END ulist_open -->i<!-- BEGIN ulist_close --></ul>"
           "<!-- END ulist_close -->",
           "<Block type=\"\" name=\"ulist_open\"><Text><![CDATA[<ul>]]></Text></Block>"
           "<Text><![CDATA[i]]></Text><Block type=\"\" name=\"ulist_close\">"
           "<Text><![CDATA[</ul>]]></Text></Block>"},
          {"plain blocks of one name, white space, three deep",
           "<!-- BEGIN Row R --> <!-- END Row R --><!-- BEGIN Row R --><!-- BEGIN Record Edit -->"
           "<!-- BEGIN Panel Details -->p<!-- END Panel Details --><!-- END Record Edit -->"
           "<!-- END Row R -->",
           "<Block type=\"Row\" name=\"R\" kpsBlockIsWhiteSpace=\"true\"><Text><![CDATA[ ]]></Text>"
           "</Block><Block type=\"Row\" name=\"R\"><Record type=\"Record\" name=\"Edit\" id=\"7\">"
           "<Panel type=\"Panel\" name=\"Details\" id=\"5\"><Text><![CDATA[p]]></Text></Panel>"
           "</Record></Block>"},
          {"a second BEGIN of a matched component is a plain block",
           "<!-- BEGIN Grid Orders --><!-- END Grid Orders --><!-- BEGIN Grid Orders -->"
           "<!-- END Grid Orders -->",
           "<Grid type=\"Grid\" name=\"Orders\" id=\"3\" /><Block type=\"Grid\" name=\"Orders\" "
           "/>"},
          {"an END that closes nothing is literal text", "a<!-- END Grid Orders -->b",
           "<Text><![CDATA[a<!-- END Grid Orders -->b]]></Text>"},
          {"a simple component written as a block",
           "<!-- BEGIN TextBox Name -->n<!-- END TextBox Name -->",
           "<Block type=\"TextBox\" name=\"Name\" kpsPrimitiveAsBlock=\"true\">"
           "<Text><![CDATA[n]]></Text><TextBox kpsPrimitiveAsBlock=\"true\" name=\"Name\" id=\"8\" "
           "/>"
           "</Block>"},
          {"blocks between table rows, left open at the end",
           "<table><!-- BEGIN Grid Orders --><tr><td>x</td></tr><!-- END Grid Orders --></table>"
           "<!-- BEGIN Record Edit -->r",
           "<Text><![CDATA[<table>]]></Text><Grid type=\"Grid\" name=\"Orders\" id=\"3\">"
           "<Text><![CDATA[<tr><td>x</td></tr>]]></Text></Grid><Text><![CDATA[</table>]]></Text>"
           "<Record type=\"Record\" name=\"Edit\" id=\"7\"><Text><![CDATA[r]]></Text></Record>"},
          {"a Panel in a table gets the widest row",
           "<table><!-- BEGIN Panel Details --><tr><td colspan=3>a</td><td>b</td></tr><tr><td>c"
           "</td></tr><!-- END Panel Details --></table>",
           "<Text><![CDATA[<table>]]></Text><Panel type=\"Panel\" name=\"Details\" id=\"5\" "
           "kpsMaxColspan=\"4\"><Text><![CDATA[<tr><td colspan=3>a</td><td>b</td></tr><tr><td>c"
           "</td></tr>]]></Text></Panel><Text><![CDATA[</table>]]></Text>"},
      });
}

TEST(BuiltInParseTest, MarkupAroundTheBlocks) {
  HostSetup setup{"", "form;o:p;input", "", 2, ""};
  Check(setup,
        {
            {"comments before the DOCTYPE, which is dropped; no final line break",
             "<!-- c --><!DOCTYPE html>\n<p>x</p>",
             "<Text><![CDATA[<!-- c -->]]></Text>"
             "<Text><![CDATA[\n<p>x</p>]]></Text>"},
            {"CDATA sections, and one left open", "<![CDATA[a]]>b<![CDATA[c",
             "<kpsCDATA><![CDATA[a]]></kpsCDATA><Text><![CDATA[b&lt;![CDATA[c]]></Text>"},
            {"texts that would end the CDATA", "]]> and &lt;![CDATA[ \x01",
             "<Text><![CDATA[]]&gt; and &lt;![CDATA[ \xEF\xBF\xBD]]></Text>"},
            {"tags the site parses", "<FORM Name=f><Input value=\"a\nb\"></form>",
             "<FORM Name=\"f\"><Input value=\"a&#10;b\" /></FORM>"},
            {"a tag whose names are no XML names stays text", "<form a#b=1>x</form><form c:d:e=2>",
             "<Text><![CDATA[<form a#b=1>x</form><form c:d:e=2>]]></Text>"},
            {"an option directly inside a block",
             "<select><!-- BEGIN Options O --><option value=1>One<option value=2>Two"
             "<!-- END Options O --></select>",
             "<Text><![CDATA[<select>]]></Text><Block type=\"Options\" name=\"O\"><option "
             "value=\"1\" "
             "kpsOptionBlock=\"O\"><Text><![CDATA[One]]></Text></option><option value=\"2\" "
             "kpsOptionBlock=\"O\"><Text><![CDATA[Two]]></Text></option></Block>"
             "<Text><![CDATA[</select>]]></Text>"},
            {"script bodies guarded by a comment",
             "<script>\n<!--\n if (a<b) {x();}\n//-->\n</script>",
             "<Text><![CDATA[<script>\n<!--\n if (a<b) {x();}\n//-->\n</script>]]></Text>"},
        });
}

}  // namespace
}  // namespace kpx::testing
