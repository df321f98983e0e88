// The cleaner's configuration, output modes and extension switches, through whole runs of the
// library.
#include "cleaner/html_cleaner.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "cleaner_test_util.h"

namespace kpx {
namespace {

using testing::BodyOf;
using testing::Clean;
using testing::Cleaned;
using testing::Contains;

TEST(HtmlCleanerTest, OutputHasNoMarkOfTheLibraryInAnyMode) {
  const std::string long_line(600, 'w');
  const std::string page =
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
      "<html><head><title>t</title></head><body><p>" +
      long_line + " " + long_line + "</p></body></html>\n";
  const struct {
    const char* name;
    CleanerMode mode;
  } rows[] = {
      {"html", CleanerMode::kHtml}, {"xml", CleanerMode::kXml}, {"xhtml", CleanerMode::kXhtml}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    HtmlCleaner cleaner;
    cleaner.SetMode(row.mode);
    std::u16string output;
    ASSERT_EQ(cleaner.Run(ToUtf16(page), &output), S_OK);
    ASSERT_FALSE(output.empty());
    EXPECT_NE(output[0], u'\uFEFF');  // no byte-order mark
    const std::string text = ToUtf8(output);
    EXPECT_FALSE(Contains(text, "DOCTYPE"));
    EXPECT_FALSE(Contains(text, "generator"));
    EXPECT_FALSE(Contains(text, "HTML Tidy"));
    // No wrapping: the paragraph's text stays on one line.
    EXPECT_TRUE(Contains(text, long_line + " " + long_line));
  }
}

TEST(HtmlCleanerTest, OutputModesPrintAsConfigured) {
  const std::string page = "<p class=\"c\">a<br>b</p><img src=\"x.png\" alt=\"\">";
  const struct {
    const char* name;
    CleanerMode mode;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  } rows[] = {
      {"html",
       CleanerMode::kHtml,
       {"<p class=\"c\">a<br>", "<img src=\"x.png\" alt=\"\">"},
       {"<br />", "xmlns", "<P"}},
      {"xml upper-cases tags and attributes",
       CleanerMode::kXml,
       {"<P CLASS=\"c\">", "<BR />", "<IMG SRC=\"x.png\" ALT=\"\" />", "</BODY>"},
       {"<p", "class=", "xmlns"}},
      {"xhtml closes empty elements",
       CleanerMode::kXhtml,
       {"<html xmlns=\"http://www.w3.org/1999/xhtml\">", "<br />", "<p class=\"c\">"},
       {"<P", "<br>"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const Cleaned cleaned = Clean(page, false, row.mode);
    for (const std::string& part : row.present) EXPECT_TRUE(Contains(cleaned.output, part)) << part;
    for (const std::string& part : row.absent) EXPECT_FALSE(Contains(cleaned.output, part)) << part;
  }
}

TEST(HtmlCleanerTest, ModesCanBeChangedBackOnOneInstance) {
  HtmlCleaner cleaner;
  cleaner.SetMode(CleanerMode::kXml);
  cleaner.SetMode(CleanerMode::kHtml);
  const Cleaned cleaned = Clean(cleaner, u"<p>a<br>b</p>");
  EXPECT_EQ(BodyOf(cleaned.output), "<p>a<br>\nb</p>");
}

// Each switch off and on. Where the library's own behaviour differs from the switch's effect,
// the row with the switch off shows that behaviour.
TEST(HtmlCleanerTest, PipelineSwitchesOffAndOn) {
  const struct {
    const char* name;
    const char* input;
    bool pipeline;
    const char* body;
    std::vector<std::string> messages_present;
    std::vector<std::string> messages_absent;
  } rows[] = {
      {"input in body: library infers a form",
       "<body>\n<input type=\"text\" name=\"q\">\n</body>",
       false,
       "<form><input type=\"text\" name=\"q\"></form>",
       {"inserting implicit <form>", "missing </form>"},
       {}},
      {"input in body: no form",
       "<body>\n<input type=\"text\" name=\"q\">\n</body>",
       true,
       "<input type=\"text\" name=\"q\">",
       {"isn't allowed in <body>"},
       {"<form>", "</form>"}},
      {"inferred form closed before a block: library",
       "<p>x</p><input name=\"a\"><p>y</p>",
       false,
       "<p>x</p>\n<form><input name=\"a\"></form>\n<p>y</p>",
       {"missing </form> before <p>"},
       {}},
      {"inferred form closed before a block: no form",
       "<p>x</p><input name=\"a\"><p>y</p>",
       true,
       "<p>x</p>\n<input name=\"a\">\n<p>y</p>",
       {},
       {"<form>", "</form>"}},
      {"input in a real form keeps it",
       "<form action=\"x\"><p><input name=\"q\"></p></form>",
       true,
       "<form action=\"x\">\n<p><input name=\"q\"></p>\n</form>",
       {},
       {}},
      {"real form beside an inferred one",
       "<body><input name=\"a\"><p>x</p><form action=\"f\"><input name=\"b\"></form></body>",
       true,
       "<input name=\"a\">\n<p>x</p>\n<form action=\"f\"><input name=\"b\"></form>",
       {},
       {"implicit"}},
      {"written FORM in capitals is real",
       "<FORM action=\"x\"><INPUT name=\"q\"></FORM>",
       true,
       "<form action=\"x\"><input name=\"q\"></form>",
       {},
       {}},
      {"textarea: library",
       "<form action=\"x\"><textarea>abc</textarea></form>",
       false,
       "<form action=\"x\">\n<textarea>abc</textarea></form>",
       {},
       {}},
      {"textarea: switch",
       "<form action=\"x\"><textarea>abc</textarea></form>",
       true,
       "<form action=\"x\">\n<textarea>abc</textarea></form>",
       {},
       {}},
      {"anchors: library adds id from name and name from id",
       "<a name=\"x\">A</a><form id=\"f\" action=\"a\"></form>",
       false,
       "<a name=\"x\" id=\"x\">A</a>\n<form id=\"f\" action=\"a\" name=\"f\"></form>",
       {},
       {}},
      {"anchors: nothing added",
       "<a name=\"x\">A</a><form id=\"f\" action=\"a\"></form>",
       true,
       "<a name=\"x\">A</a>\n<form id=\"f\" action=\"a\"></form>",
       {},
       {}},
      {"anchors: library reports a mismatch",
       "<a name=\"m\" id=\"n\">C</a>",
       false,
       "<a name=\"m\" id=\"n\">C</a>",
       {"id and name attribute value mismatch"},
       {}},
      {"anchors: mismatch neither reported nor changed",
       "<a name=\"m\" id=\"n\">C</a>",
       true,
       "<a name=\"m\" id=\"n\">C</a>",
       {},
       {"mismatch"}},
      {"anchors: both written stay",
       "<img name=\"i\" id=\"i\" src=\"x\" alt=\"\"><map name=\"m\" id=\"m\"></map>",
       true,
       "<img name=\"i\" id=\"i\" src=\"x\" alt=\"\"><map name=\"m\" id=\"m\"></map>",
       {},
       {}},
      {"anchors: img, map, iframe",
       "<img name=\"i\" src=\"x\" alt=\"\"><map id=\"m\"></map>"
       "<iframe name=\"fr\"></iframe>",
       true,
       "<img name=\"i\" src=\"x\" alt=\"\"><map id=\"m\"></map><iframe name=\"fr\"></iframe>",
       {},
       {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const Cleaned cleaned = Clean(row.input, row.pipeline);
    EXPECT_EQ(BodyOf(cleaned.output), row.body);
    EXPECT_TRUE(cleaned.switches_applied);
    for (const std::string& part : row.messages_present) {
      EXPECT_TRUE(Contains(cleaned.messages, part)) << part << "\n" << cleaned.messages;
    }
    for (const std::string& part : row.messages_absent) {
      EXPECT_FALSE(Contains(cleaned.messages, part)) << part << "\n" << cleaned.messages;
    }
  }
}

TEST(HtmlCleanerTest, AnchorSwitchHoldsInEveryMode) {
  const struct {
    const char* name;
    CleanerMode mode;
    const char* anchor;
  } rows[] = {{"html", CleanerMode::kHtml, "<a name=\"x\">A</a>"},
              {"xhtml", CleanerMode::kXhtml, "<a name=\"x\">A</a>"},
              {"xml", CleanerMode::kXml, "<A NAME=\"x\">A</A>"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const Cleaned cleaned = Clean("<p><a name=\"x\">A</a></p>", true, row.mode);
    EXPECT_TRUE(Contains(cleaned.output, row.anchor)) << cleaned.output;
  }
}

TEST(HtmlCleanerTest, TextareaContentStaysBetweenItsTags) {
  const struct {
    const char* name;
    CleanerMode mode;
    const char* indent;
    const char* expected;
  } rows[] = {
      {"html", CleanerMode::kHtml, "no", "<textarea name=\"t\">abc</textarea>"},
      {"xhtml", CleanerMode::kXhtml, "no", "<textarea name=\"t\">abc</textarea>"},
      {"xml", CleanerMode::kXml, "no", "<TEXTAREA NAME=\"t\">abc</TEXTAREA>"},
      {"html indented", CleanerMode::kHtml, "yes", "<textarea name=\"t\">abc</textarea>"},
      {"html auto-indented", CleanerMode::kHtml, "auto", "<textarea name=\"t\">abc</textarea>"},
  };
  for (const auto& row : rows) {
    for (const bool on : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (on ? " switch on" : " switch off"));
      HtmlCleaner cleaner;
      cleaner.SetMode(row.mode);
      ASSERT_TRUE(cleaner.SetOption("indent", row.indent));
      ASSERT_TRUE(cleaner.SetOption("kps-dont-flush-textarea", on ? "yes" : "no"));
      const Cleaned cleaned =
          Clean(cleaner, u"<form action=\"x\"><textarea name=\"t\">abc</textarea></form>");
      EXPECT_TRUE(Contains(cleaned.output, row.expected)) << cleaned.output;
    }
  }
}

TEST(HtmlCleanerTest, PreserveCaseKeepsWrittenNames) {
  const struct {
    const char* name;
    const char* input;
    bool on;
    CleanerMode mode;
    const char* body;
  } rows[] = {
      {"off: library folds names",
       "<body><Grid name=\"Orders\"><kps:Block Name=\"x\"><DIV>Hi</DIV><Br></kps:Block></Grid>"
       "</body>",
       false, CleanerMode::kHtml,
       "<grid name=\"Orders\">\n<kps:block name=\"x\">\n<div>Hi</div>\n<br></kps:block>\n"
       "</grid>"},
      {"on: names as written, end tags follow their start tags",
       "<body><Grid name=\"Orders\"><kps:Block Name=\"x\"><DIV>Hi</div><Br></KPS:BLOCK></grid>"
       "</body>",
       true, CleanerMode::kHtml,
       "<Grid name=\"Orders\">\n<kps:Block name=\"x\">\n<DIV>Hi</DIV>\n<Br></kps:Block>\n"
       "</Grid>"},
      {"on: xhtml", "<body><Grid><P>a<BR>b</P></Grid></body>", true, CleanerMode::kXhtml,
       "<Grid>\n<P>a<BR />\nb</P>\n</Grid>"},
      {"on: xml prints capitals anyway", "<body><Grid><p>a</p></Grid></body>", true,
       CleanerMode::kXml, "<GRID>\n<P>a</P>\n</GRID>"},
      {"on: inferred elements keep lower case", "<TABLE><TD>x</TD></TABLE>", true,
       CleanerMode::kHtml, "<TABLE>\n<tr>\n<TD>x</TD>\n</tr>\n</TABLE>"},
      {"on: positions past tabs, wide characters and dropped controls",
       "<body>\t<B>a</B>\xF0\x9F\x98\x80<I>b</I>\x01\xC2\x81<U>c</U>\r\n\t\t<Em>d</Em></body>",
       true, CleanerMode::kHtml, "<B>a</B>\xF0\x9F\x98\x80<I>b</I><U>c</U> <Em>d</Em>"},
      {"on: lines ended by CR alone, blank ones kept", "<body>\r<PRE>a\r\rb</PRE>\r<B>c</B></body>",
       true, CleanerMode::kHtml, "<PRE>a\n\nb</PRE>\n<B>c</B>"},
      {"on: script content is skipped, not renamed",
       "<body><SCRIPT>document.write(\"<P>x</P>\")</SCRIPT><P>y</P></body>", true,
       CleanerMode::kHtml, "<SCRIPT>\ndocument.write(\"<P>x<\\/P>\")\n</SCRIPT>\n<P>y</P>"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    HtmlCleaner cleaner;
    cleaner.SetMode(row.mode);
    ASSERT_TRUE(cleaner.SetOption("new-blocklevel-tags", "grid, kps:block"));
    ASSERT_TRUE(cleaner.SetOption("kps-preserve-case", row.on ? "yes" : "no"));
    const Cleaned cleaned = Clean(cleaner, ToUtf16(row.input));
    EXPECT_EQ(BodyOf(cleaned.output), row.body);
    EXPECT_TRUE(cleaned.switches_applied);
  }
}

TEST(HtmlCleanerTest, TextSurvivesTheUtf16RoundTrip) {
  // Latin, Hebrew, CJK, and characters outside the Basic Multilingual Plane, in text and in an
  // attribute value.
  const std::string text =
      "caf\xC3\xA9 \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xE4\xB8\xAD\xE6\x96\x87 "
      "\xF0\x9F\x98\x80\xF0\x9D\x84\x9E";
  const Cleaned cleaned = Clean("<p title=\"" + text + "\">" + text + "</p>", true);
  EXPECT_EQ(BodyOf(cleaned.output), "<p title=\"" + text + "\">" + text + "</p>");
}

TEST(HtmlCleanerTest, MessagesAreNarrowTextConvertedToUtf16) {
  const Cleaned cleaned = Clean("<p><a href=\"x\" nam\xC3\xA9x=\"1\">y</a></p>", false);
  EXPECT_TRUE(Contains(cleaned.messages, "inserting missing 'title' element"));
  EXPECT_TRUE(Contains(cleaned.messages, "attribute name \"nam\xC3\xA9x\""));
  EXPECT_EQ(cleaned.messages.find('\0'), std::string::npos);
}

TEST(HtmlCleanerTest, EachRunHasItsOwnMessages) {
  HtmlCleaner cleaner;
  testing::SetPipelineSwitches(cleaner);
  EXPECT_TRUE(Contains(Clean(cleaner, u"<p>a<q").messages, "<q>"));
  const Cleaned second = Clean(cleaner, u"<body><input></body>");
  EXPECT_FALSE(Contains(second.messages, "<q>"));
  EXPECT_EQ(BodyOf(second.output), "<input>");
}

TEST(HtmlCleanerTest, RunWithoutOutputIsRejected) {
  HtmlCleaner cleaner;
  EXPECT_EQ(cleaner.Run(u"<p>x</p>", nullptr), E_POINTER);
}

TEST(HtmlCleanerTest, EmptyAndBrokenTextStillGivesOutput) {
  const struct {
    const char* name;
    std::u16string input;
  } rows[] = {
      {"empty", u""},
      {"lone surrogates", std::u16string(u"<p>a") + char16_t(0xD800) + u"b" + char16_t(0xDC00)},
      {"nul characters", std::u16string(u"<p>a\0b</p>", 10)},
      {"unclosed everything", u"<table><tr><td><form><select><option><!-- "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    HtmlCleaner cleaner;
    testing::SetPipelineSwitches(cleaner);
    cleaner.SetOption("kps-preserve-case", "yes");
    std::u16string output;
    EXPECT_EQ(cleaner.Run(row.input, &output), S_OK);
    EXPECT_TRUE(cleaner.switches_applied());
  }
}

// The library loses the DOCTYPE node it replaces for HTML output; the sanitizer build checks
// that the cleaner takes that memory back.
TEST(HtmlCleanerTest, ReplacedDoctypeLeavesNoMemoryBehind) {
  const Cleaned cleaned = Clean(
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\">\n"
      "<html><head><title>x</title></head><body><p>x</p></body></html>\n",
      true);
  EXPECT_EQ(BodyOf(cleaned.output), "<p>x</p>");
  EXPECT_FALSE(Contains(cleaned.output, "DOCTYPE"));
}

TEST(HtmlCleanerTest, DeepNestingIsHandled) {
  std::string page = "<body>";
  for (int i = 0; i < 3000; ++i) page += "<DIV>";
  page += "x";
  HtmlCleaner cleaner;
  cleaner.SetOption("kps-preserve-case", "yes");
  const Cleaned cleaned = Clean(cleaner, ToUtf16(page));
  EXPECT_TRUE(cleaned.switches_applied);
  size_t divs = 0;
  for (size_t at = cleaned.output.find("<DIV>"); at != std::string::npos;
       at = cleaned.output.find("<DIV>", at + 1)) {
    ++divs;
  }
  EXPECT_EQ(divs, 3000u);
}

TEST(HtmlCleanerTest, OptionsBySwitchNameAndNumber) {
  HtmlCleaner cleaner;
  const struct {
    const char* name;
    const char* value;
    bool accepted;
  } by_name[] = {
      {"kps-preserve-case", "yes", true},
      {"kps-omit-implicit-form", "no", true},
      {"kps-dont-flush-textarea", "true", true},
      {"kps-preserve-case", "maybe", false},
      {"kps-skip-anchor-fixing", "yes", false},  // the anchor switch has a number only
      {"no-such-option", "yes", false},
      {"indent", "auto", true},
      {"wrap", "72", true},
      {"wrap", "wide", false},
  };
  for (const auto& row : by_name) {
    SCOPED_TRACE(std::string(row.name) + "=" + row.value);
    EXPECT_EQ(cleaner.SetOption(row.name, row.value), row.accepted);
  }
  const struct {
    int option;
    bool accepted;
  } by_number[] = {
      {kPreserveCaseSwitch, true},
      {kOmitImplicitFormSwitch, true},
      {kDontFlushTextareaSwitch, true},
      {kSkipAnchorFixingSwitch, true},
      {kSkipAnchorFixingSwitch + 1, false},
      {0, false},
      {-1, false},
      {TidyIndentContent, true},  // yes/no/auto: set as text
      {TidyMark, true},
      {TidyDoctype, false},  // a string option
  };
  for (const auto& row : by_number) {
    SCOPED_TRACE(row.option);
    EXPECT_EQ(cleaner.SetOption(row.option, true), row.accepted);
  }
  EXPECT_TRUE(cleaner.SwitchOn(kSkipAnchorFixingSwitch));
  EXPECT_EQ(kDontFlushTextareaSwitch + 1, kSkipAnchorFixingSwitch);
  EXPECT_EQ(kOmitImplicitFormSwitch + 1, kDontFlushTextareaSwitch);
}

TEST(HtmlCleanerTest, CleanersOnTwoThreadsDoNotDisturbEachOther) {
  const std::u16string pages[] = {
      u"<body><input name=\"a\"><a name=\"x\">y</a><TEXTAREA>abc</TEXTAREA></body>",
      u"<table><tr><td><B>bold<I>both</B>italic</I></td></tr></table><img src=x>",
  };
  std::u16string expected[2];
  for (int i = 0; i < 2; ++i) {
    HtmlCleaner cleaner;
    testing::SetPipelineSwitches(cleaner);
    cleaner.SetOption("kps-preserve-case", "yes");
    cleaner.Run(pages[i], &expected[i]);
  }
  std::vector<std::u16string> results[2];
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&, t] {
      for (int n = 0; n < 25; ++n) {
        HtmlCleaner cleaner;
        testing::SetPipelineSwitches(cleaner);
        cleaner.SetOption("kps-preserve-case", "yes");
        std::u16string output;
        cleaner.Run(pages[t], &output);
        results[t].push_back(output);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 2; ++t) {
    for (const std::u16string& output : results[t]) EXPECT_EQ(output, expected[t]);
  }
}

}  // namespace
}  // namespace kpx
