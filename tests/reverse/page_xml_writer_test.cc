// The page XML writer, through backTransformation and partialBackTransformationWithDOM.
#include <gtest/gtest.h>

#include "markup/attribute_escaping.h"
#include "reverse/reverse_test_support.h"

namespace kpx::testing {
namespace {

std::string Wrapped(const std::string& text) {
  return "<Page><![CDATA[" + text + "]]></Page>";
}

// Templates with nothing the passes rewrite come back as one CDATA section inside Page.
TEST(PageXmlWriter, PlainTemplatesBecomeOneSection) {
  BackTransformer back;
  for (const std::string text :
       {"<html><body><p class=\"a\">Hello</p></body></html>", "just text", "<!-- a comment -->",
        "<div>{ notAPlaceholder }</div>", "<!DOCTYPE html><table><tr><td>1</td></tr></table>",
        "line\r\nbreaks\ttabs &amp; entities &nbsp;"}) {
    HRESULT hr = E_FAIL;
    EXPECT_EQ(back.Back(text, &hr), Wrapped(text)) << text;
    EXPECT_EQ(hr, S_OK);
  }
  EXPECT_EQ(back.Back(""), "<Page></Page>");
}

struct WriterCase {
  const char* name;
  const char* components;  // of the page; kSiteComponents when null
  std::string text;
  std::string expected;
};

TEST(PageXmlWriter, RewritesEachConstruct) {
  const std::string grid_open =
      "<span kpsServiceable=\"true\" kpsId=\"3\" name=\"Orders\" isBegin=\"true\">";
  const std::string grid_close = "<span kpsServiceable=\"true\" kpsId=\"3\" isBegin=\"false\">";
  const WriterCase cases[] = {
      {"placeholder on a page with components",
       {},
       "a{Name}b",
       "<Page><![CDATA[a]]><Variable name=\"Name\"/><![CDATA[b]]></Page>"},
      {"placeholder on a page without components", "", "a{Name}b", Wrapped("a{Name}b")},
      {"placeholder not adjacent", {}, "a{Name }b", Wrapped("a{Name }b")},
      {"template CDATA",
       {},
       "x<![CDATA[raw]]>y",
       "<Page><![CDATA[x]]><kpsCDATA><![CDATA[raw]]></kpsCDATA><![CDATA[y]]></Page>"},
      {"CDATA end in text", {}, "a]]>b", "<Page><![CDATA[a]]]]><![CDATA[>b]]></Page>"},
      {"CDATA end made by an erasure",
       {},
       "a]]<b kpsRemoveOnBT=\"1\">>c</b>",
       "<Page><![CDATA[a]]]]><![CDATA[>c]]></Page>"},
      {"CDATA end across an erasure after one bracket",
       {},
       "a]<b kpsRemoveOnBT=\"1\">]>c</b>",
       "<Page><![CDATA[a]]]]><![CDATA[>c]]></Page>"},
      {"CDATA end after more brackets",
       {},
       "a]]]>b",
       "<Page><![CDATA[a]]]]]><![CDATA[>b]]></Page>"},
      {"forbidden character after blanks",
       {},
       std::string(20, 'x') + "\t\r\n\x02y",
       "<Page><![CDATA[" + std::string(20, 'x') + "\t\r\n\xEF\xBF\xBDy]]></Page>"},
      {"forbidden character",
       {},
       std::string("a\x01") + "b",
       "<Page><![CDATA[a\xEF\xBF\xBD"
       "b]]></Page>"},
      {"proxy braces",
       {},
       "<td><meta name=\"kpsProxyBraces\" value=\"Meta\"></td>",
       "<Page><![CDATA[<td>]]><Text><![CDATA[{Meta}]]></Text><![CDATA[</td>]]></Page>"},
      {"extent markers, separators erased",
       {},
       grid_open + " x" + grid_close +
           " <span kpsServiceable=\"true\" name=\"Row\" isBegin=\"true\">y"
           "<span kpsServiceable=\"true\" name=\"Row\" isBegin=\"false\">",
       "<Page><Grid id=\"3\" name=\"Orders\"><![CDATA[x]]></Grid><Block name=\"Row\"><![CDATA[y]]>"
       "</Block></Page>"},
      {"separator before the marker",
       {},
       "a&NBSP;" + grid_open + "x" + grid_close,
       "<Page><![CDATA[a]]><Grid id=\"3\" name=\"Orders\"><![CDATA[x]]></Grid></Page>"},
      {"separator kept",
       {},
       "<span kpsServiceable=\"true\" kpsId=\"3\" isBegin=\"true\" kpsPreserveEndSpace=\"true\"> "
       "x" +
           grid_close,
       "<Page><Grid id=\"3\" name=\"Orders\"><![CDATA[ x]]></Grid></Page>"},
      {"one-tag component",
       {},
       "<SPAN kpsServiceable=\"true\" kpsId=\"6\" NAME=\"Link1\">go</SPAN>!",
       "<Page><Link id=\"6\" name=\"Link1\"><![CDATA[<span kpsserviceable=\"true\" kpsid=\"6\" "
       "name=\"Link1\">go</SPAN>]]></Link><![CDATA[!]]></Page>"},
      {"bound by name inside its container",
       {},
       grid_open +
           "<span kpsServiceable=\"true\" kpsName=\"Title\" isBegin=\"true\">t"
           "<span kpsServiceable=\"true\" kpsName=\"Title\" isBegin=\"false\">" +
           grid_close,
       "<Page><Grid id=\"3\" name=\"Orders\"><Label id=\"4\" name=\"Title\"><![CDATA[t]]></Label>"
       "</Grid></Page>"},
      {"unbound block",
       {},
       "<span kpsServiceable=\"true\" kpsId=\"77\" kpsName=\"Free\" isBegin=\"true\">z"
       "<span kpsServiceable=\"true\" kpsId=\"77\" isBegin=\"false\">",
       "<Page><Block id=\"77\" name=\"Free\"><![CDATA[z]]></Block></Page>"},
      {"identifier too large",
       {},
       "<span kpsServiceable=\"true\" kpsId=\"2147483648\" name=\"B\" isBegin=\"true\">z"
       "<span kpsServiceable=\"true\" name=\"B\" isBegin=\"false\">",
       "<Page><Block name=\"B\"><![CDATA[z]]></Block></Page>"},
      {"resource",
       {},
       "<span kpsServiceable=\"true\" kpsType=\"Resource\" kpsResourceName=\"More\" "
       "kpsResourcePrefix=\"res\">More <b>text</b></span>.",
       "<Page><Resource name=\"More\" kpsPrefix=\"res\"/><![CDATA[.]]></Page>"},
      {"atomic selection",
       {},
       "<span kpsServiceable=\"true\" kpsId=\"3\" isBegin=\"true\" atomicselection=\"true\">"
       "gone{Title}<span kpsServiceable=\"true\" kpsId=\"3\" isBegin=\"false\">",
       "<Page><Grid id=\"3\" name=\"Orders\"></Grid></Page>"},
      {"end marker with nothing open",
       {},
       "<SPAN kpsServiceable=\"true\" kpsId=\"3\" isBegin=\"false\">",
       Wrapped("<span kpsserviceable=\"true\" kpsid=\"3\" isbegin=\"false\">")},
      {"removed on back transformation",
       {},
       "<div kpsRemoveOnBT=\"1\"><div>a</div></div>b",
       Wrapped("<div>a</div>b")},
      {"option blocks",
       {},
       "<select><option kpsOptionBlock=\"A\">1<option kpsOptionBlock=\"B\">2</select>",
       "<Page><![CDATA[<select>]]><Text><![CDATA[<!-- BEGIN A -->]]></Text><![CDATA[<option "
       "kpsoptionblock=\"A\">1]]><Text><![CDATA[<!-- END A -->]]></Text><Text><![CDATA[<!-- "
       "BEGIN B -->]]></Text><![CDATA[<option kpsoptionblock=\"B\">2]]><Text><![CDATA[<!-- END B "
       "-->]]></Text><![CDATA[</select>]]></Page>"},
      {"option blocks the template marks itself",
       {},
       "<select><!-- BEGIN ListBox A --><option kpsOptionBlock=\"A\">1<!-- END ListBox A -->"
       "</select>",
       Wrapped("<select><!-- BEGIN ListBox A --><option kpsoptionblock=\"A\">1<!-- END ListBox A "
               "--></select>")},
      {"prefixes",
       {},
       "<Kps:block y:a=\"1\"><kps:x/><XML:y/><meta X:b=\"2\"/></Kps:block>",
       "<Page xmlns:kps=\"urn:kpxhtml2xml:prefix\" xmlns:x=\"urn:kpxhtml2xml:prefix\"><![CDATA["
       "<Kps:block y:a=\"1\"><kps:x/><XML:y/><meta x:b=\"2\"/></Kps:block>]]></Page>"},
      {"tag content unwrapped in tags only",
       {},
       "<a KPSTAGCONTENT = \"{Link1_Src}\" href=x>kpstagcontent=\"y\"</a>",
       Wrapped("<a {Link1_Src} href=x>kpstagcontent=\"y\"</a>")},
      {"element name that is no XML name",
       "<component id=\"5\" name=\"G\" type=\"Grid\" element=\"1x\"/>",
       "<span kpsServiceable=\"true\" kpsId=\"5\" isBegin=\"true\">g"
       "<span kpsServiceable=\"true\" kpsId=\"5\" isBegin=\"false\">",
       "<Page><Block kpsType=\"1x\" id=\"5\" name=\"G\"><![CDATA[g]]></Block></Page>"},
      {"extended HTML span",
       {},
       "<span kpsServiceable=\"true\" kpsId=\"6\" isBegin=\"true\" kpsExtendedHtmlSpan=\"true\" "
       "type=\"Link\">h<span kpsServiceable=\"true\" kpsId=\"6\" isBegin=\"false\">",
       "<Page><Block id=\"6\" name=\"Link1\" kpsExtendedHtmlSpan=\"true\" type=\"Link\">"
       "<![CDATA[h]]></Block></Page>"},
      {"primitive shown as a block",
       {},
       "<span kpsServiceable=\"true\" kpsId=\"6\" isBegin=\"true\" kpsExtendedHtmlSpan=\"true\" "
       "kpsPrimitiveAsBlock=\"true\">h<span kpsServiceable=\"true\" kpsId=\"6\" isBegin=\"false\">",
       "<Page><Link id=\"6\" name=\"Link1\" kpsPrimitiveAsBlock=\"true\"><Link "
       "kpsPrimitiveAsBlock=\"true\"/><![CDATA[h]]></Link></Page>"},
      {"still open at the end",
       {},
       grid_open + "x",
       "<Page><Grid id=\"3\" name=\"Orders\"><![CDATA[x]]></Grid></Page>"},
  };
  for (const WriterCase& c : cases) {
    SCOPED_TRACE(c.name);
    BackHost host;
    if (c.components) host.components = c.components;
    BackTransformer back(host);
    HRESULT hr = E_FAIL;
    const std::string xml = back.Back(c.text, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(xml, c.expected);
    std::string root;
    std::vector<std::string> prefixes;
    EXPECT_TRUE(LoadsAsXml(xml, &root, &prefixes));
    EXPECT_EQ(root, "Page");
    EXPECT_EQ(std::set<std::string>(prefixes.begin(), prefixes.end()).size(), prefixes.size());
  }
}

TEST(PageXmlWriter, PublishTemplateSwitchesQuoteEscapingAndLeavesItSo) {
  const std::string text = "<span kpsServiceable=\"true\" kpsName='a\"b' isBegin=\"true\">";
  for (const auto& [setting, expected] :
       {std::pair{"TRUE", "<Page><Block name=\"a&amp;quot;b\"></Block></Page>"},
        std::pair{"no", "<Page><Block name=\"a&quot;b\"></Block></Page>"}}) {
    BackHost host;
    host.project = std::string("<setting name=\"publishTemplate\" value=\"") + setting + "\"/>";
    BackTransformer back(host);
    EXPECT_EQ(back.Back(text), expected);
    EXPECT_EQ(DoubleEscapeQuotes(), std::string(setting) == "TRUE");
  }
  SetDoubleEscapeQuotes(false);
}

struct PartialCase {
  const char* name;
  LONG parent;  // 0: the page
  std::string text;
  HRESULT status;
  std::vector<LONG> ids;
  std::string xml;
};

TEST(PageXmlWriter, PartialFormListsTheComponentsItWrites) {
  const PartialCase cases[] = {
      {"one component of a container",
       3,
       "<span kpsServiceable=\"true\" kpsName=\"Title\">t</span>",
       S_OK,
       {4},
       "<Label id=\"4\" name=\"Title\"><![CDATA[<span kpsserviceable=\"true\" "
       "kpsname=\"Title\">t</span>]]></Label>\n"},
      {"two elements without a root",
       3,
       "<span kpsServiceable=\"true\" kpsId=\"4\">t</span>x",
       E_FAIL,
       {},
       ""},
      {"on the page, in order, unbound ones left out",
       0,
       "<span kpsServiceable=\"true\" kpsId=\"6\" isBegin=\"true\">"
       "<span kpsServiceable=\"true\" kpsId=\"6\" isBegin=\"false\">"
       "<span kpsServiceable=\"true\" kpsId=\"50\" isBegin=\"true\">"
       "<span kpsServiceable=\"true\" kpsId=\"3\" isBegin=\"true\">",
       S_OK,
       {6, 3},
       "<Page><Link id=\"6\" name=\"Link1\"/><Block id=\"50\"><Grid id=\"3\" name=\"Orders\"/>"
       "</Block></Page>\n"},
  };
  for (const PartialCase& c : cases) {
    SCOPED_TRACE(c.name);
    BackTransformer back;
    ComPtr<IDispatch> parent = c.parent ? back.Component(c.parent) : back.Page();
    std::vector<LONG> ids;
    HRESULT hr = S_OK;
    EXPECT_EQ(back.Partial(parent.Get(), c.text, &ids, &hr), c.xml);
    EXPECT_EQ(hr, c.status);
    EXPECT_EQ(ids, c.ids);
  }
}

TEST(PageXmlWriter, ArgumentsAreChecked) {
  BackTransformer back;
  Bstr text(u"x"), xml;
  ComPtr<IComponentIDs> ids;
  ComPtr<IXMLDOMDocument> document;
  IXH2XConverter* c = back.Converter();
  EXPECT_EQ(c->backTransformation(nullptr, text.Get(), xml.Put()), E_INVALIDARG);
  EXPECT_EQ(c->backTransformation(back.Page().Get(), text.Get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(c->backTransformationWithDOM(back.Page().Get(), text.Get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(c->partialBackTransformationWithDOM(nullptr, text.Get(), ids.Put(), document.Put()),
            E_INVALIDARG);
  EXPECT_EQ(c->backTransformationWithDOM(back.Page().Get(), text.Get(), document.Put()), S_OK);
  ASSERT_TRUE(document);
  Bstr loaded;
  document->get_xml(loaded.Put());
  EXPECT_EQ(ToUtf8(loaded.View()), "<Page><![CDATA[x]]></Page>\n");
}

}  // namespace
}  // namespace kpx::testing
