// The tag parser, the server block parser and the CDATA parser: records, repairs and the text
// after the repairs are applied.
#include <gtest/gtest.h>

#include <string>

#include "markup/attribute_escaping.h"
#include "markup/markup_lexer.h"
#include "scan_test_util.h"

namespace kpx::testing {
namespace {

struct TagRow {
  const char16_t* input;
  bool parsed;
  const char* tag;         // DumpTag of the record
  const char* edits;       // DumpEdits of the recorded repairs
  const char16_t* result;  // the text after applying them
  size_t position;         // where the parser left the position
  const char* warnings = "";
  const char16_t* placeholder = u"";
  const char16_t* junk = u"";
  bool repairs = true;
};

void CheckTagRows(const std::vector<TagRow>& rows) {
  for (const TagRow& row : rows) {
    SCOPED_TRACE(U8(row.input));
    MarkupLexer lexer{std::u16string(row.input)};
    TextEditList edits(std::u16string(row.input));
    RecordingWarnings warnings;
    lexer.set_edit_sink(&edits);
    lexer.set_warning_sink(&warnings);
    lexer.set_placeholder_attribute_name(row.placeholder);
    lexer.set_junk_attribute_name(row.junk);
    lexer.set_record_repairs(row.repairs);
    TagRecord tag;
    EXPECT_EQ(lexer.ParseTag(&tag), row.parsed);
    EXPECT_FALSE(lexer.attribute_value_mode());
    if (row.parsed) {
      EXPECT_EQ(DumpTag(tag), row.tag);
    }
    EXPECT_EQ(DumpEdits(edits), row.edits);
    EXPECT_EQ(lexer.Position(), row.position);
    EXPECT_EQ(warnings.Text(), row.warnings);
    EXPECT_EQ(lexer.edits_recorded(), edits.EditCount());
    edits.Apply();
    EXPECT_EQ(U8(edits.Text()), U8(row.result));
  }
}

TEST(TagParserTest, ValuesAndTheirRepairs) {
  CheckTagRows({
      {u"<a href=x>", true, "a href=x:0@3,8,7", "+8^'\"' +9^'\"'", u"<a href=\"x\">", 10},
      {u"<a href = 'x' >", true, "a href=x:1@3,10,8", "", u"<a href = 'x' >", 15},
      {u"<input checked>", true, "input checked=checked:0@7,14,0", "+14^'=\"checked\"'",
       u"<input checked=\"checked\">", 15},
      {u"<INPUT Checked>", true, "INPUT Checked=checked:0@7,14,0", "+14^'=\"checked\"'",
       u"<INPUT Checked=\"checked\">", 15},
      // The quote before ">" closes a value whose opening quote is missing.
      {u"<a href=x\">", true, "a href=x:0@3,8,7", "+8^'\"'", u"<a href=\"x\">", 11},
      {u"<a href=x\" b>", true, "a href=x&quot;:0@3,8,7 b=b:0@11,12,0",
       "+8^'\"' +10^'\"' -9,1 +9^'&quot;' +12^'=\"b\"'", u"<a href=\"x&quot;\" b=\"b\">", 13},
      {u"<a href=>", true, "a href=:0@3,8,7", "+8^'\"' +8^'\"'", u"<a href=\"\">", 9},
      {u"<a title=\"a<b\">", true, "a title=a&lt;b:2@3,9,8", "-11,1 +11^'&lt;'",
       u"<a title=\"a&lt;b\">", 15},
      {u"<a t='\"&amp;&x'>", true, "a t=&quot;&amp;&amp;x:1@3,5,4",
       "-6,1 +6^'&quot;' -12,1 +12^'&amp;'", u"<a t='&quot;&amp;&amp;x'>", 16},
      {u"<a href=x>", true, "a href=x:0@3,8,7", "", u"<a href=x>", 10, "", u"", u"", false},
      // An unclosed value is closed with its own quote at the end of what can be its value.
      {u"<a href='x", true, "a rewrite href=x:1@3,8,7", "+10^'''", u"<a href='x'", 10,
       "XX_UnclosedHTMLString@8"},
      {u"<a xmlns:k=\"\" xmlns:m=\"u\">", true,
       "a xmlns:k=http://www.kpx.invalid/dummy-namespace:2@3,11,10 xmlns:m=u:2@14,22,21", "",
       u"<a xmlns:k=\"\" xmlns:m=\"u\">", 26},
  });
}

TEST(TagParserTest, DuplicatesAndMissingSpaces) {
  CheckTagRows({
      {u"<td class=\"a\"class=\"b\">", true, "td rewrite class=a:2@4,10,9", "+13^' ' -13,9",
       u"<td class=\"a\" >", 23, "XX_MissedSpaceBetweenAttributes@13"},
      // Attribute names compare without regard to case.
      {u"<td class=\"a\" CLASS=b>", true, "td rewrite class=a:2@4,10,9", "-14,7",
       u"<td class=\"a\" >", 22},
      // A duplicate goes with its own repairs.
      {u"<input checked CHECKED>", true, "input rewrite checked=checked:0@7,14,0",
       "+14^'=\"checked\"' -15,7", u"<input checked=\"checked\" >", 23},
      {u"<a x=1 x=\"<\"y=\"2\">", true, "a rewrite x=1:0@3,5,4 y=2:2@12,14,13",
       "+5^'\"' +6^'\"' -7,5", u"<a x=\"1\" y=\"2\">", 18, "XX_MissedSpaceBetweenAttributes@12"},
  });
}

TEST(TagParserTest, JunkPlaceholdersAndEnds) {
  CheckTagRows({
      {u"<input {Checked}>", true, "input kpscheckedattr={Checked}:0@7,0,0", "",
       u"<input {Checked}>", 17, "", u"kpscheckedattr"},
      {u"<input { Checked } {Other}>", true, "input kpscheckedattr={Checked}:0@7,0,0 junk=19+7", "",
       u"<input { Checked } {Other}>", 27, "", u"kpscheckedattr"},
      {u"<input {Checked}>", true, "input junk=7+9", "", u"<input {Checked}>", 17},
      // Junk before an attribute is deleted; junk at the end is only recorded.
      {u"<a ! ! ! ! href=x>", true, "a href=x:0@11,16,15 junk=3+8", "+16^'\"' +17^'\"' -3,8",
       u"<a href=\"x\">", 18},
      {u"<a href=\"x\" ; ;>", true, "a href=x:2@3,8,7 junk=12+3", "", u"<a href=\"x\" ; ;>", 16},
      // The fifth junk token gives the tag up and withdraws what it recorded.
      {u"<a href=x ! ! ! ! ! >", false, "", "", u"<a href=x ! ! ! ! ! >", 19},
      {u"<td ! {x} class=\"a\">", true,
       "td class=a:2@10,16,15 kpstagcontent=! {x} :0@0,0,0 junk=4+6", "", u"<td ! {x} class=\"a\">",
       20, "", u"kpscheckedattr", u"kpstagcontent", false},
      {u"<br/>", true, "br self", "", u"<br/>", 5},
      {u"<br / >", true, "br self", "", u"<br / >", 7},
      {u"<br /%>", true, "br self", "", u"<br /%>", 7},
      {u"</p>", true, "p end", "", u"</p>", 4},
      {u"<a\r\nb=1\t/>", true, "a self b=1:0@4,6,5", "+6^'\"' +7^'\"'", u"<a\r\nb=\"1\"\t/>", 10},
      // Not tags: the position goes back to the start.
      {u"< p>", false, "", "", u"< p>", 0},
      {u"</ p>", false, "", "", u"</ p>", 0},
      {u"<3>", false, "", "", u"<3>", 0},
      {u"<_x>", false, "", "", u"<_x>", 0},
      {u"<!x>", false, "", "", u"<!x>", 0},
      {u"x<p>", false, "", "", u"x<p>", 0},
      // A "<" inside a tag: given up, the position stays at that "<".
      {u"<a b=\"1\" <p>", false, "", "", u"<a b=\"1\" <p>", 9},
      {u"<a b=1 <%x%>", false, "", "", u"<a b=1 <%x%>", 7},
      // The text ends inside the tag.
      {u"<a b=1", true, "a rewrite b=1:0@3,5,4", "+5^'\"' +6^'\"'", u"<a b=\"1\"", 6},
  });
}

TEST(TagParserTest, ServerCodeInsideAValue) {
  CheckTagRows({
      {u"<a href=\"<%= u %>\">", true, "a href=&lt;%= u %&gt;:2@3,8,7",
       "-9,1 +9^'&lt;' -16,1 +16^'&gt;'", u"<a href=\"&lt;%= u %&gt;\">", 19},
      // The string ends at the quote after 1 while the code is open: the value reads on.
      {u"<a href=\"<% if x=\"1\" %>\">", true, "a href=<% if x=\"1\" %>:2@3,8,7", "",
       u"<a href=\"<% if x=\"1\" %>\">", 25, "", u"", u"", false},
      // No end of the code before the next tag: the value is the string read.
      {u"<a x=\"<%\" y=\"z\"><b>", true, "a x=<%:2@3,5,4 y=z:2@10,12,11", "",
       u"<a x=\"<%\" y=\"z\"><b>", 16, "", u"", u"", false},
  });
}

TEST(TagParserTest, EscapingOffSwitch) {
  ScopedAttributeEscapingOff off;
  CheckTagRows({{u"<a title=\"a<b\">", true, "a title=a<b:2@3,9,8", "", u"<a title=\"a<b\">", 15}});
}

TEST(TagParserTest, ScratchRecordWhenNoneIsGiven) {
  MarkupLexer lexer{std::u16string(u"<a b=1><c>")};
  EXPECT_TRUE(lexer.ParseTag(nullptr));
  EXPECT_EQ(lexer.Position(), 7u);
  EXPECT_TRUE(lexer.ParseTag(nullptr));
}

TEST(TagParserTest, ScriptModeTagsUseScriptStrings) {
  MarkupLexer lexer{std::u16string(u"</script >")};
  lexer.set_script_mode(true);
  TagRecord tag;
  ASSERT_TRUE(lexer.ParseTag(&tag));
  EXPECT_EQ(DumpTag(tag), "script end");
  MarkupLexer values{std::u16string(u"<b c='x' d>")};
  values.set_script_mode(true);
  ASSERT_TRUE(values.ParseTag(&tag));
  EXPECT_EQ(DumpTag(tag), "b c=x:1@3,5,4 d=d:0@9,10,0");
}

struct BlockRow {
  const char16_t* input;
  bool parsed;
  const char* name;
  size_t position;
};

TEST(ServerBlockParserTest, Blocks) {
  const BlockRow rows[] = {
      {u"<?php echo \"a>b\"; ?> x", true, "php", 20},
      {u"<!DOCTYPE html PUBLIC \"x\" \"y\">z", true, "DOCTYPE", 30},
      {u"<%@ Page %>", false, "", 0},  // "@" is no name
      {u"<% x = '%>' %>", true, "x", 14},
      {u"<% x <p>", true, "x", 6},
      {u"<% x", true, "x", 4},
      {u"<!-- c -->", false, "", 0},
      {u"<p>", false, "", 0},
      {u"<%= x %>", false, "", 0},
  };
  for (const BlockRow& row : rows) {
    SCOPED_TRACE(U8(row.input));
    MarkupLexer lexer{std::u16string(row.input)};
    lexer.set_script_mode(true);
    MarkupString name;
    EXPECT_EQ(lexer.ParseServerBlock(&name), row.parsed);
    EXPECT_EQ(U8(name.View()), row.name);
    EXPECT_EQ(lexer.Position(), row.position);
    if (row.parsed) {
      EXPECT_FALSE(lexer.script_mode());
    }
  }
}

TEST(CDataParserTest, Sections) {
  struct Row {
    const char16_t* input;
    bool parsed;
    const char* content;
    const char* edits;
    const char16_t* result;
    size_t position;
  } rows[] = {
      {u"<![CDATA[a<b]]>c", true, "a<b", "", u"<![CDATA[a<b]]>c", 15},
      {u"<![cdata[x]]>", true, "x", "-2,7 +2^'[CDATA['", u"<![CDATA[x]]>", 13},
      {u"<![CDATA[x]]", true, "x]]", "", u"<![CDATA[x]]", 12},
      {u"<![CDATA[]]]>", true, "]", "", u"<![CDATA[]]]>", 13},
      {u"<![CDAT[x]]>", false, "", "", u"<![CDAT[x]]>", 0},
      {u"<p>", false, "", "", u"<p>", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(U8(row.input));
    MarkupLexer lexer{std::u16string(row.input)};
    TextEditList edits(std::u16string(row.input));
    lexer.set_edit_sink(&edits);
    MarkupString content;
    EXPECT_EQ(lexer.ParseCData(&content), row.parsed);
    EXPECT_EQ(U8(content.View()), row.content);
    EXPECT_EQ(DumpEdits(edits), row.edits);
    EXPECT_EQ(lexer.Position(), row.position);
    edits.Apply();
    EXPECT_EQ(U8(edits.Text()), U8(row.result));
  }
}

}  // namespace
}  // namespace kpx::testing
