// makeExtensible's conversion, case by case: the prolog, tag names, empty elements, scripts and
// styles, p elements holding block content, content-type METAs, publish mode, and the page
// shapes that real templates come in.
#include "textutil/xhtml_conversion.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "text_utility_test_util.h"

namespace kpx::testing {
namespace {

struct Row {
  const char* name;
  std::u16string input;
  std::u16string expected;
  std::int16_t publish_mode = kPublishModeOff;
};

void CheckRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TextEditList edits = DirtyEditList();
    EXPECT_EQ(U8(ConvertToXhtml(edits, row.input, row.publish_mode)), U8(row.expected));
    EXPECT_EQ(edits.EditCount(), 0u);
    EXPECT_TRUE(edits.Text().empty());
  }
}

const std::u16string kHtml = u"<html" + kXmlns + u">";

TEST(XhtmlConversionTest, Prolog) {
  CheckRows({
      {"upper-case page", u"<HTML><BODY><BR></BODY></HTML>",
       kXhtmlDoctype + kHtml + u"<body><br /></body></html>"},
      {"old doctype replaced, not doubled",
       u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<html>", kXhtmlDoctype + kHtml},
      {"two old doctypes", u"<!doctype html><!DOCTYPE x>\r\n<html>", kXhtmlDoctype + kHtml},
      {"xml declaration stays", u"<?xml version=\"1.0\"?>\n<!DOCTYPE html>\n<html>",
       u"<?xml version=\"1.0\"?>\n" + kXhtmlDoctype + kHtml},
      {"comment before it stays", u"<!-- c -->\n<!DOCTYPE html>\n<html>",
       u"<!-- c -->\n" + kXhtmlDoctype + kHtml},
      {"page starting with text: old doctype goes, none comes", u"<!DOCTYPE html>\nHello <b>x</b>",
       u"Hello <b>x</b>"},
      {"page starting with another tag", u"<!DOCTYPE html><div>x</div>", u"<div>x</div>"},
      {"text before the first tag", u"Hello\n<html><body></body></html>",
       u"Hello\n" + kHtml + u"<body></body></html>"},
      {"namespace already there", u"<html xmlns=\"http://www.w3.org/1999/xhtml\">",
       kXhtmlDoctype + u"<html xmlns=\"http://www.w3.org/1999/xhtml\">"},
      {"repairs of the first tag made once", u"<!DOCTYPE html><html lang=en>",
       kXhtmlDoctype + u"<html lang=\"en\"" + kXmlns + u">"},
      {"html without its >", u"<html", kXhtmlDoctype + u"<html"},
      {"doctype without its >", u"<!DOCTYPE html\n<html>", kXhtmlDoctype + kHtml},
  });
}

TEST(XhtmlConversionTest, TagNamesAndEmptyElements) {
  CheckRows({
      {"mixed case", u"<Table><TR><Td>x</tD></tr></TABLE>", u"<table><tr><td>x</td></tr></table>"},
      {"attribute names keep their case", u"<IMG SRC=a.gif ALT=\"x\">",
       u"<img SRC=\"a.gif\" ALT=\"x\" />"},
      {"already closed", u"<br/><br /><hr noshade>", u"<br/><br /><hr noshade=\"noshade\" />"},
      {"unknown and template tags", u"<kps:Grid Name=\"x\"><Custom/></kps:Grid>",
       u"<kps:grid Name=\"x\"><custom/></kps:grid>"},
      {"CR LF and lone CR", u"<HTML>\r\n<HEAD>\r\n</HEAD>\r<BODY>\r<BR>\r</BODY>\r\n</HTML>",
       kXhtmlDoctype + kHtml + u"\r\n<head>\r\n" + kMetaLine + u"</head>\r<body>\r<br />\r" +
           u"</body>\r\n</html>"},
      {"placeholders and server code",
       u"<input type=checkbox {Checked} value=\"{Name}\"><a href=\"<%= url %>\">x</a>",
       u"<input type=\"checkbox\" {Checked} value=\"{Name}\" /><a href=\"&lt;%= url "
       u"%&gt;\">x</a>"},
      {"text that is no markup", u"a < b && c > d", u"a < b && c > d"},
  });
}

TEST(XhtmlConversionTest, ScriptsAndStyles) {
  CheckRows({
      {"inline script", u"<script>var a = 1;</script>",
       u"<script type=\"text/javascript\">" + kScriptOpener + u"var a = 1;" + kScriptCloser +
           u"</script>"},
      {"script with src: type only", u"<script src=\"a.js\"></script>",
       u"<script src=\"a.js\" type=\"text/javascript\"></script>"},
      {"self-closing script", u"<script src=\"a.js\"/>",
       u"<script src=\"a.js\" type=\"text/javascript\"/>"},
      {"empty script", u"<script></script>",
       u"<script type=\"text/javascript\">" + kScriptOpener + kScriptCloser + u"</script>"},
      {"already guarded",
       u"<script type=\"text/javascript\">\r\n<!--//--><![CDATA[//><!--\r\nx();\r\n"
       u"//--><!]]>\r\n</script>",
       u"<script type=\"text/javascript\">\r\n<!--//--><![CDATA[//><!--\r\nx();\r\n"
       u"//--><!]]>\r\n</script>"},
      {"guard whose <!-- was passed over", u"<script>//--><![CDATA[//><!--\nx\n//--><!]]></script>",
       u"<script type=\"text/javascript\">//--><![CDATA[//><!--\nx\n//--><!]]></script>"},
      {"closer there, opener missing", u"<script>x //--><!]]></script>",
       u"<script type=\"text/javascript\">" + kScriptOpener + u"x //--><!]]></script>"},
      {"style", u"<style>p {}</style>",
       u"<style type=\"text/css\">" + kStyleOpener + u"p {}" + kStyleCloser + u"</style>"},
      {"comment element", u"<comment>c</comment>",
       u"<comment>" + kStyleOpener + u"c" + kStyleCloser + u"</comment>"},
      {"own type kept", u"<SCRIPT type=\"text/vbscript\">x</script>",
       u"<script type=\"text/vbscript\">" + kScriptOpener + u"x" + kScriptCloser + u"</script>"},
      {"marked content is left alone", u"<script>a<kpscdata>b</script>",
       u"<script type=\"text/javascript\">a<kpscdata>b</script>"},
      {"</SCRIPT in a string", u"<script>if (a) s = \"</SCRIPT\";</script>",
       u"<script type=\"text/javascript\">" + kScriptOpener + u"if (a) s = \"</SCRIPT\";" +
           kScriptCloser + u"</script>"},
      // The body is read as markup: the end tag in the string is a tag and is lower-cased.
      {"</SCRIPT> in a string", u"<script>document.write(\"</SCRIPT>\");</script>",
       u"<script type=\"text/javascript\">" + kScriptOpener + u"document.write(\"</script>\");" +
           kScriptCloser + u"</script>"},
      // No end tag written exactly "</script>": no guard, and the element is passed over up to
      // its end tag, which keeps its case.
      {"upper-case end tag", u"<SCRIPT>x</SCRIPT><BR>",
       u"<script type=\"text/javascript\">x</SCRIPT><br />"},
      {"no end tag", u"<script>x<BR>", u"<script type=\"text/javascript\">x<BR>"},
      {"body after whitespace", u"<script>\n  f();\n</script>",
       u"<script type=\"text/javascript\">" + kScriptOpener + u"\n  f();\n" + kScriptCloser +
           u"</script>"},
      // A tag in the body that runs past the end tag is no tag: nothing in it is repaired, and
      // the end tag and the guard before it stay whole.
      {"a tag across the end tag", u"<script></A new Array();\n //]]></script><BR>",
       u"<script type=\"text/javascript\">" + kScriptOpener + u"</A new Array();\n //]]>" +
           kScriptCloser + u"</script><br />"},
  });
}

// A malformed page once made the conversion record overlapping edits (the guard before a
// script's end tag inside the repairs of a tag that ran across it).
TEST(XhtmlConversionTest, AMalformedPageIsConvertedInLinearTime) {
  std::ifstream in(KPX_TEST_DATA_DIR "/data/make-extensible-refused.html", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::u16string page = ToUtf16(bytes.str());
  ASSERT_GT(page.size(), 40000u);
  auto count = [](std::u16string_view text, std::u16string_view word) {
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != text.npos; at = text.find(word, at + 1)) ++n;
    return n;
  };
  for (const std::int16_t mode : {kPublishModeOff, kPublishModeOn}) {
    SCOPED_TRACE(mode);
    const std::uint64_t replayed = TextEditList::ReplayedListCount();
    TextEditList edits;
    const std::u16string result = ConvertToXhtml(edits, page, mode);
    EXPECT_EQ(TextEditList::ReplayedListCount(), replayed);
    // Every guard opened is closed, no end tag of a script was cut, and the tag that ran across
    // one is as it was.
    EXPECT_GT(count(result, u"<!--//--><![CDATA[//><!--"), 0u);
    EXPECT_EQ(count(result, u"<!--//--><![CDATA[//><!--"), count(result, u"//--><!]]>"));
    EXPECT_EQ(count(result, u"</script>"), count(page, u"</script>"));
    EXPECT_NE(result.find(u"</a new Array();\n    //]]>\r\n//--><!]]>\r\n</script>"),
              std::u16string::npos);
  }
}

TEST(XhtmlConversionTest, ParagraphsHoldingBlocks) {
  CheckRows({
      {"block inside", u"<p>a<div>b</div>c</p>", u"a<div>b</div>c"},
      {"inline inside", u"<p>a<b>b</b>c</p>", u"<p>a<b>b</b>c</p>"},
      {"a link inside", u"<p>see <a href=\"x\">here</a></p>", u"<p>see <a href=\"x\">here</a></p>"},
      {"p inside p", u"<p>a<p>b</p></p>", u"a<p>b</p>"},
      {"whitespace after the tags goes too",
       u"<p>\n  <table><tr><td>x</td></tr></table>\n</p>\n<p>y</p>",
       u"<table><tr><td>x</td></tr></table>\n<p>y</p>"},
      {"repairs of the start tag go with it", u"<P class=a>x<DIV>y</DIV></P>", u"x<div>y</div>"},
      {"block deeper down does not count", u"<p><span><div>x</div></span></p>",
       u"<p><span><div>x</div></span></p>"},
      {"stray </p>", u"<div>x</p></div>", u"<div>x</div>"},
      {"</p> over an open inline element", u"<p><b>x</p></b>", u"<b>x</b>"},
      {"start tag taken once", u"<p><b>x</p></p></b>", u"<b>x</b>"},
      // </th> closes the open td, so the p below is closed by its own </p> and stays.
      {"a cell closes the other kind of cell", u"<p><b><td>x</th></b>y</p>",
       u"<p><b><td>x</th></b>y</p>"},
      {"unclosed p stays", u"<p>a<div>b</div>", u"<p>a<div>b</div>"},
  });
}

TEST(XhtmlConversionTest, ContentTypeMeta) {
  CheckRows({
      {"content made XHTML, charset kept",
       u"<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head>",
       u"<head><meta http-equiv=\"Content-Type\" content=\"application/xhtml+xml; "
       u"charset=utf-8\" /></head>"},
      {"without content", u"<head><meta http-equiv=\"content-type\"></head>",
       u"<head><meta http-equiv=\"content-type\" content=\"application/xhtml+xml\" /></head>"},
      {"already XHTML", u"<meta name=\"content-type\" content=\"application/xhtml+xml\"/>",
       u"<meta name=\"content-type\" content=\"application/xhtml+xml\"/>"},
      {"agreeing over the shorter length", u"<meta name=\"content-type\" content=\"app\">",
       u"<meta name=\"content-type\" content=\"app\" />"},
      {"case of the value counts", u"<meta name=content-type content=APPLICATION/XHTML+XML>",
       u"<meta name=\"content-type\" content=\"application/xhtml+xml\" />"},
      {"unquoted value replaced with its repairs",
       u"<meta http-equiv=content-type content=text/html>",
       u"<meta http-equiv=\"content-type\" content=\"application/xhtml+xml\" />"},
      {"apostrophes", u"<meta http-equiv='content-type' content='text/html;charset=x'>",
       u"<meta http-equiv='content-type' content=\"application/xhtml+xml;charset=x\" />"},
      {"empty value", u"<meta http-equiv=content-type content=\"\">",
       u"<meta http-equiv=\"content-type\" content=\"application/xhtml+xml\" />"},
      {"value without =", u"<meta http-equiv=content-type content>",
       u"<meta http-equiv=\"content-type\" content=\"application/xhtml+xml\" />"},
      // The space that the repairs put between the value and the duplicate stays.
      {"duplicate after the value",
       u"<meta http-equiv=\"content-type\" content=\"text/html\"content=\"b\">",
       u"<meta http-equiv=\"content-type\" content=\"application/xhtml+xml\"  />"},
      {"the longer of two stays",
       u"<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
       u"<meta http-equiv=\"content-type\" content=\"text/html\">\n</head>",
       u"<head><meta http-equiv=\"Content-Type\" content=\"application/xhtml+xml; "
       u"charset=utf-8\" />\n</head>"},
      {"a longer one later replaces the kept one",
       u"<meta name=content-type content=x> <meta http-equiv=\"content-type\" "
       u"content=\"text/html; charset=iso-8859-1\">",
       u"<meta http-equiv=\"content-type\" content=\"application/xhtml+xml; "
       u"charset=iso-8859-1\" />"},
      {"equal length: the first stays",
       u"<meta name=\"content-type\" content=\"x\"><meta name=\"CONTENT-TYPE\" content=\"y\">",
       u"<meta name=\"content-type\" content=\"application/xhtml+xml\" />"},
      {"other metas untouched but closed", u"<meta name=\"robots\" content=\"none\">",
       u"<meta name=\"robots\" content=\"none\" />"},
      {"other metas keep their repairs beside a content-type META",
       u"<meta name=a><meta http-equiv=content-type content=x><meta name=b>",
       u"<meta name=\"a\" /><meta http-equiv=\"content-type\" content=\"application/xhtml+xml\" "
       u"/><meta name=\"b\" />"},
      {"</head> without one gets the line",
       u"<html><head><title>t</title></head><body></body></html>",
       kXhtmlDoctype + kHtml + u"<head><title>t</title>" + kMetaLine +
           u"</head><body></body></html>"},
      {"two heads", u"<head></head><head></head>",
       u"<head>" + kMetaLine + u"</head><head>" + kMetaLine + u"</head>"},
      {"no head", u"<html><body><p>x</p></body></html>",
       kXhtmlDoctype + kHtml + u"<body><p>x</p></body></html>"},
  });
}

TEST(XhtmlConversionTest, PublishMode) {
  CheckRows({
      {"prolog untouched, meta outside head removed",
       u"<!DOCTYPE html>\n<html><head><meta name=\"a\" content=\"b\"></head>"
       u"<body><meta name=c content=d>\n<p>x</p></body></html>",
       u"<!DOCTYPE html>\n" + kHtml + u"<head><meta name=\"a\" content=\"b\" />" + kMetaLine +
           u"</head><body><p>x</p></body></html>",
       kPublishModeOn},
      {"no doctype added", u"<html></html>", kHtml + u"</html>", kPublishModeOn},
      {"content-type meta outside head removed too",
       u"<meta http-equiv=content-type content=text/html><head></head>",
       u"<head>" + kMetaLine + u"</head>", kPublishModeOn},
      // Neither off nor on: no prolog work, and metas stay.
      {"other values", u"<!DOCTYPE x><html><meta name=a>",
       u"<!DOCTYPE x>" + kHtml + u"<meta name=\"a\" />", 1},
  });
}

}  // namespace
}  // namespace kpx::testing
