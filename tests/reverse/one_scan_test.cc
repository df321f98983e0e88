// The back transformation reads a template in one scan where the page XML writer can ride along
// with the pre-processing, and must then give exactly what the two passes give one after the
// other; where it cannot follow, it falls back to them (and only then records edits).
#include <gtest/gtest.h>

#include "reverse/back_transformation.h"
#include "reverse/reverse_test_support.h"

namespace kpx::testing {
namespace {

struct Outcome {
  HRESULT status = S_OK;
  std::u16string xml;
  bool recorded_edits = false;  // the edit list was used: the passes ran one after the other
};

Outcome Transform(BackTransformer& back, std::u16string_view text, BackScan scan) {
  TextEditList list;
  const Bstr input(text);
  PreprocessOptions options;
  options.colours = RemovedFontColours(std::nullopt);
  Outcome outcome;
  outcome.status = BackTransformTemplate(
      list, back.Page().Get(), input.View(), options,
      [&outcome](std::u16string_view root, std::u16string_view rest) {
        outcome.xml.assign(root).append(rest);
      },
      scan);
  outcome.recorded_edits = list.EditCapacity() != 0;
  return outcome;
}

TEST(OneScan, GivesWhatTheTwoPassesGive) {
  BackHost host;
  host.project = "<value name=\"_siteLanguage\" value=\"en\"/>";
  BackTransformer back(host);
  const std::u16string marker =
      u"<span kpsServiceable=\"true\" kpsId=\"3\" name=\"Orders\" isBegin=\"true\">";
  const std::u16string end_marker = u"<span kpsServiceable=\"true\" kpsId=\"3\" isBegin=\"false\">";
  struct Row {
    std::u16string text;
    bool one_scan;
  };
  const Row rows[] = {
      {u"<p>plain <b>text</b>, a {Price} and <![CDATA[raw]]></p>", true},
      // "/" in front of ">": after a quoted, a minimized or an unquoted last value, or blanks (a
      // serviceable tag without an identifier becomes empty that way).
      {marker + u"<br><img src=\"a.gif\" alt=\"\"><input type=checkbox checked><hr ><img alt=x>" +
           u"<div kpsServiceable=\"true\" name=\"Nothing\">x</div>",
       true},
      // Values rewritten, a name renamed, quotes changed, a tag read again in script mode.
      {marker + u"<a href=\"%7BLink1_Src%7D\">x</a><img src=\"file:///site/pages/img/go.gif\">" +
           u"<div kpsXStyle=\"color:red\">y</div><a href=\"p.aspx?x={res:Key}\">z</a>" +
           u"<script>document.write('<img src=\"%7BX%7D\">')</script>",
       true},
      // Extent markers with their separators, "&nbsp;" put into an empty span, a one-tag
      // component, placeholders, option blocks, proxy braces, removed tags, tag content.
      {u"&nbsp;" + marker + u" <td>{Price}</td>" + end_marker + u" " + marker + end_marker +
           u"<a kpsServiceable=\"true\" kpsId=\"6\" name=\"Link1\" href=\"x\">L</a>" +
           u"<select><option kpsOptionBlock=\"A\">1<option kpsOptionBlock=\"B\">2</select>" +
           u"<meta name=\"kpsProxyBraces\" value=\"X\"><b kpsRemoveOnBT=\"true\">kept</b>" +
           u"<input kpstagcontent=\"{Extra}\" Value=\"v\">",
       true},
      {marker + u"<link kpsDynamicStyle=\"href\" href=\"styles/Basic/en/s.css\" " +
           u"kpsI18Ned=\"href\" Rel=\"stylesheet\">",
       true},
      // What a section must fix, beside and inside edited tags.
      {marker + u"]]<br>>]]><img src=\"]]>\">\x01<br>\xD800<br>\xDC00", true},
      // A tag the tag parser reads on past its end once "/" is in it: the writer does not follow.
      {marker + u"<meta http-equiv=\"Content-Type\"psId=\"8\" content=\"text>/\"x>", false},
      // Moved, erased, cut and formatted: the two passes one after the other.
      {marker + u"<font color=\"#0066CC\">x</font>", false},
      {marker + u"<p>a<form></p></form>", false},
      {u"<html><head><title>t</title><meta http-equiv=\"Content-Type\" content=\"text/html\">" +
           marker,
       false},
      {u"<html><head></head><div>moved</div><body>" + marker, false},
      {marker + u"<b kpsServiceable=\"true\" kpsId=\"4\" name=\"Title\">formatted</b>", false},
      // Refused either way.
      {u"<span>no component</span>", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(ToUtf8(row.text));
    const Outcome one = Transform(back, row.text, BackScan::kOne);
    const Outcome two = Transform(back, row.text, BackScan::kTwo);
    EXPECT_EQ(one.status, two.status);
    EXPECT_EQ(one.xml, two.xml);
    EXPECT_EQ(one.recorded_edits, !row.one_scan);
    if (one.status == S_OK) {
      EXPECT_TRUE(LoadsAsXml(ToUtf8(one.xml)));
    }
  }
}

}  // namespace
}  // namespace kpx::testing
