// Tokens, modes, warnings and repairs of the markup lexer, and the text scanner beneath it.
#include "markup/markup_lexer.h"

#include <gtest/gtest.h>

#include <string>

#include "markup/markup_char_classes.h"

#include "scan_test_util.h"

namespace kpx::testing {
namespace {

enum Mode : unsigned { kPlain = 0, kScript = 1, kAttr = 2, kNested = 4, kNoRepairs = 8 };

struct TokenRow {
  const char16_t* input;
  unsigned mode;
  const char* tokens;
  const char* warnings = "";
  const char* edits = "";
};

void Configure(MarkupLexer& lexer, unsigned mode) {
  lexer.set_script_mode(mode & kScript);
  lexer.set_attribute_value_mode(mode & kAttr);
  lexer.set_nested_comments(mode & kNested);
  lexer.set_record_repairs(!(mode & kNoRepairs));
}

void CheckRows(const std::vector<TokenRow>& rows) {
  for (const TokenRow& row : rows) {
    SCOPED_TRACE(U8(row.input));
    MarkupLexer lexer{std::u16string(row.input)};
    Configure(lexer, row.mode);
    TextEditList edits(std::u16string(row.input));
    RecordingWarnings warnings;
    lexer.set_edit_sink(&edits);
    lexer.set_warning_sink(&warnings);
    EXPECT_EQ(DumpTokens(lexer), row.tokens);
    EXPECT_EQ(warnings.Text(), row.warnings);
    EXPECT_EQ(DumpEdits(edits), row.edits);
  }
}

TEST(MarkupLexerTest, PlainTokens) {
  CheckRows({
      {u"<% x %>", kPlain, "DeclOpen@0'<%' Name@3'x' ServerClose@5'%>'"},
      {u"a=b", kPlain, "Name@0'a' Equals@1'=' Name@2'b'"},
      {u"-x #1 :y", kPlain, "Other@0'-x' Other@3'#1' Other@6':y'"},
      {u"{Name}", kPlain, "LBrace@0'{' Name@1'Name' RBrace@5'}'"},
      {u"<p>", kPlain, "TagOpen@0'<' Name@1'p' TagClose@2'>'"},
      {u"</p >", kPlain, "EndTagOpen@0'</' Name@2'p' TagClose@4'>'"},
      {u"<!DOCTYPE html>", kPlain, "DeclOpen@0'<!' Name@2'DOCTYPE' Name@10'html' TagClose@14'>'"},
      {u"<?x ?><@a @>", kPlain,
       "DeclOpen@0'<?' Name@2'x' ServerClose@4'?>' DeclOpen@6'<@' Name@8'a' ServerClose@10'@>'"},
      {u"a!b %", kPlain, "Name@0'a' Other@1'!' Name@2'b' Other@4'%'"},
      // Quotes outside both modes are single delimiters.
      {u"\"q\" 'r'", kPlain, "Other@0'\"' Name@1'q' Other@2'\"' Other@4''' Name@5'r' Other@6'''"},
      // Runs of other characters take in spaces and "=" and stop at names and delimiters.
      {u"x, y. z", kPlain, "Name@0'x' Other@1', ' Name@3'y' Other@4'. ' Name@6'z'"},
      {u"a;=b", kPlain, "Name@0'a' Other@1';=' Name@3'b'"},
      {u"/* c */ // d", kPlain,
       "Other@0'/*' Name@3'c' Other@5'*' Other@6'/' Other@8'//' Name@11'd'"},
      {u"<3 < p", kPlain, "TagOpen@0'<' Name@1'3' TagOpen@3'<' Name@5'p'"},
      // Letters outside ASCII are no name characters.
      {u"caf\u00e9 x", kPlain, "Name@0'caf' Other@3'\u00e9 ' Name@5'x'"},
      {std::u16string(u"a\0b", 3).c_str(), kPlain, "Name@0'a'"},
      {u"a\u2028b\u2029\r\n\tc", kPlain, "Name@0'a' Name@2'b' Name@7'c'"},
      {u"<", kPlain, "TagOpen@0'<'"},
      {u"<!", kPlain, "DeclOpen@0'<!'"},
      {u"<!-x", kPlain, "DeclOpen@0'<!' Other@2'-x'"},
  });
}

TEST(MarkupLexerTest, ZeroCharacterInsideTheTextIsOneOtherToken) {
  const std::u16string text(u"a\0\0b", 4);
  MarkupLexer lexer{text};
  EXPECT_EQ(DumpTokens(lexer),
            std::string("Name@0'a' Other@1'") + '\0' + "' Other@2'" + '\0' + "' Name@3'b'");
}

TEST(MarkupLexerTest, Comments) {
  CheckRows({
      {u"<!-- a -->x", kPlain, "Comment@0'<!-- a -->' Name@10'x'"},
      {u"<!---->", kPlain, "Comment@0'<!---->'"},
      {u"<!-- a <!-- b --> c -->", kPlain,
       "Comment@0'<!-- a <!-- b -->' Name@18'c' Other@20'--' TagClose@22'>'"},
      {u"<!-- a <!-- b --> c -->", kNested, "Comment@0'<!-- a <!-- b --> c -->'"},
      {u"<!-- a --->", kPlain, "Comment@0'<!-- a --->'"},
      {u"<!-- open", kPlain, "Abort@0'<!-- open'"},
      {u"<!-- a <!-- b -->", kNested, "Abort@0'<!-- a <!-- b -->'"},
  });
}

TEST(MarkupLexerTest, DeepestNestedCommentLevel) {
  MarkupLexer lexer{std::u16string(u"<!-- <!-- <!-- --> --> <!-- --> -->")};
  lexer.set_nested_comments(true);
  EXPECT_EQ(lexer.NextToken(), LexToken::kComment);
  EXPECT_EQ(lexer.deepest_comment_level(), 3);
  EXPECT_EQ(lexer.Position(), lexer.Length());
}

// Re-reading from an opener inside an unclosed nested comment gives what a fresh scan gives.
TEST(MarkupLexerTest, NestedCommentReadAgainFromInside) {
  const std::u16string text = u"<!-- a <!-- b --> <!-- c <!-- d --> e";
  for (size_t start : {size_t{0}, size_t{7}, size_t{18}, size_t{25}}) {
    SCOPED_TRACE(start);
    MarkupLexer fresh{text};
    fresh.set_nested_comments(true);
    fresh.SetPosition(start);
    const LexToken expected = fresh.NextToken();
    const size_t expected_end = fresh.Position();
    const int expected_depth = fresh.deepest_comment_level();

    MarkupLexer reused{text};
    reused.set_nested_comments(true);
    EXPECT_EQ(reused.NextToken(), LexToken::kAbort);  // the outer comment never closes
    reused.SetPosition(start);
    EXPECT_EQ(reused.NextToken(), expected);
    EXPECT_EQ(reused.Position(), expected_end);
    EXPECT_EQ(reused.deepest_comment_level(), expected_depth);
  }
}

TEST(MarkupLexerTest, ScriptMode) {
  CheckRows({
      {u"if (a<b) x = \"</script>\";", kScript,
       "Name@0'if' Other@3'(' Name@4'a' Other@5'<' Name@6'b' Other@7') ' Name@9'x' "
       "Equals@11'=' ScriptString@13'' EndTagOpen@14'</' Name@16'script' TagClose@22'>' "
       "Abort@23'\";'",
       "XX_UnclosedScriptString@13 XX_UnclosedScriptString@23"},
      {u"a<b", kScript, "Name@0'a' Other@1'<' Name@2'b'"},
      {u"x<b c> y<b>", kScript,
       "Name@0'x' TagOpen@1'<' Name@2'b' Name@4'c' TagClose@5'>' Name@7'y' TagOpen@8'<' "
       "Name@9'b' TagClose@10'>'"},
      {u"'it\\'s' \"a\\\\\" b", kScript, "ScriptString@0'it\\'s' ScriptString@8'a\\\\' Name@14'b'"},
      {u"\"abc\nd\"", kScript, "Abort@0'\"abc' Name@5'd' Abort@6'\"'",
       "XX_UnclosedScriptString@0 XX_UnclosedScriptString@6"},
      {u"/* c */ x", kScript, "BlockComment@0'/* c */' Name@8'x'"},
      {u"/* c", kScript, "Abort@0'/* c'"},
      {u"/*x</SCRIPT>", kScript,
       "BlockComment@0'/*x' EndTagOpen@3'</' Name@5'SCRIPT' TagClose@11'>'"},
      {u"// c\nx", kScript, "LineComment@0'// c\n' Name@5'x'"},
      {u"// c\rx", kScript, "LineComment@0'// c\rx'"},
      {u"// c</script>", kScript,
       "LineComment@0'// c' EndTagOpen@4'</' Name@6'script' TagClose@12'>'"},
      {u"//>", kScript, "Other@0'/' Other@1'/' TagClose@2'>'"},
      {u"x<!-- y -->", kScript, "Name@0'x' Comment@1'<!-- y -->'"},
  });
}

TEST(MarkupLexerTest, AttributeStrings) {
  CheckRows({
      {u"<td class=\"a\"class=\"b\">", kAttr,
       "TagOpen@0'<' Name@1'td' Name@4'class' Equals@9'=' HtmlString@10'a' Name@13'class' "
       "Equals@18'=' HtmlString@19'b' TagClose@22'>'",
       "XX_MissedSpaceBetweenAttributes@13", "+13^' '"},
      // Without repairs the warning stays and nothing is recorded.
      {u"x=\"a\"b=\"c\"", kAttr | kNoRepairs,
       "Name@0'x' Equals@1'=' HtmlString@2'a' Name@5'b' Equals@6'=' HtmlString@7'c'",
       "XX_MissedSpaceBetweenAttributes@5"},
      {u"<p title=\"a\"b\">", kAttr,
       "TagOpen@0'<' Name@1'p' Name@3'title' Equals@8'=' HtmlString@9'a\"b' TagClose@14'>'"},
      {u"\"a\"b>", kAttr, "HtmlString@0'a' Name@3'b' TagClose@4'>'",
       "XX_MissedSpaceBetweenAttributes@3", "+3^' '"},
      {u"\"a\" = \"b\"", kAttr, "HtmlString@0'a' Equals@4'=' HtmlString@6'b'"},
      {u"'a'b = 'c'", kAttr, "HtmlString@0'a' Name@3'b' Equals@5'=' HtmlString@7'c'",
       "XX_MissedSpaceBetweenAttributes@3", "+3^' '"},
      // A letter of any script counts in the look-ahead.
      {u"\"a\"\u00e9=\"c\"", kAttr, "HtmlString@0'a' Other@3'\u00e9=' HtmlString@5'c'",
       "XX_MissedSpaceBetweenAttributes@3", "+3^' '"},
      // "=" not followed by a quote: the inner quote is content and the string never closes.
      {u"\"a\"b=c", kAttr, "Abort@0'\"a\"b=c'", "XX_UnclosedHTMLString@0"},
      {u"\"a\"/ \"b\"{ \"c\"%", kAttr,
       "HtmlString@0'a' Other@3'/' HtmlString@5'b' LBrace@8'{' HtmlString@10'c' Other@13'%'"},
      {u"'it\"s'", kAttr, "HtmlString@0'it\"s'"},
      {u"\"x", kAttr, "Abort@0'\"x'", "XX_UnclosedHTMLString@0"},
      {u"\"a\"", kAttr, "HtmlString@0'a'"},
      {u"\"line\nbreak\"", kAttr, "HtmlString@0'line\nbreak'"},
      // Script mode wins over attribute-value mode.
      {u"\"a\"b", kAttr | kScript, "ScriptString@0'a' Name@3'b'"},
  });
}

TEST(MarkupLexerTest, ServerCodeInAttributeString) {
  struct Row {
    const char16_t* input;
    bool before;
    bool after;
  } rows[] = {
      {u"\"<% a %>\"", false, false}, {u"\"<% a\"", false, true}, {u"\"b %> c\"", true, false},
      {u"\"b\"", true, true},  // carries over from an earlier string
      {u"\"<%>\"", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(U8(row.input));
    MarkupLexer lexer{std::u16string(row.input)};
    lexer.set_attribute_value_mode(true);
    lexer.set_server_code_in_string(row.before);
    EXPECT_EQ(lexer.NextToken(), LexToken::kHtmlString);
    EXPECT_EQ(lexer.server_code_in_string(), row.after);
  }
}

// Strings that run to the end are remembered; one starting inside them still sees the markers.
TEST(MarkupLexerTest, UnclosedAttributeStringReadAgainFromInside) {
  const std::u16string text = u"x=\"a <% b x=\"c d";
  MarkupLexer lexer{text};
  lexer.set_attribute_value_mode(true);
  RecordingWarnings warnings;
  lexer.set_warning_sink(&warnings);
  lexer.SetPosition(2);
  EXPECT_EQ(lexer.NextToken(), LexToken::kAbort);
  EXPECT_TRUE(lexer.server_code_in_string());
  lexer.set_server_code_in_string(false);
  lexer.SetPosition(12);
  EXPECT_EQ(lexer.NextToken(), LexToken::kAbort);
  EXPECT_EQ(lexer.LastTokenText(), u"\"c d");
  EXPECT_FALSE(lexer.server_code_in_string());  // no "<%" after offset 12
  EXPECT_EQ(warnings.Text(), "XX_UnclosedHTMLString@2 XX_UnclosedHTMLString@12");
}

TEST(MarkupLexerTest, TokenTextIsCopiedOnlyWhenAsked) {
  MarkupLexer lexer{std::u16string(u"<a title='x y'>")};
  lexer.set_attribute_value_mode(true);
  MarkupString text(u"old");
  EXPECT_EQ(lexer.NextToken(&text), LexToken::kTagOpen);
  EXPECT_EQ(text.View(), u"<");
  lexer.NextToken();  // a
  lexer.NextToken();  // title
  EXPECT_EQ(lexer.NextToken(nullptr), LexToken::kEquals);
  EXPECT_EQ(lexer.NextToken(&text), LexToken::kHtmlString);
  EXPECT_EQ(text.View(), u"x y");
  EXPECT_EQ(lexer.LastTokenSource(), u"'x y'");
  EXPECT_EQ(lexer.LastToken().begin, 9u);
  EXPECT_EQ(lexer.LastToken().end, 14u);
}

TEST(MarkupLexerTest, EndIsRepeatedAtTheEnd) {
  MarkupLexer lexer{std::u16string(u"  \r\n ")};
  EXPECT_EQ(lexer.NextToken(), LexToken::kEnd);
  EXPECT_EQ(lexer.NextToken(), LexToken::kEnd);
  EXPECT_EQ(lexer.Position(), 5u);
}

// The scanner classifies a block of characters at once: every variant of the classifier, for
// every character at every kind of place in a block, must give the class table's answer. Every
// variant the processor runs is checked, the one the scanner picks included.
TEST(MarkupCharClassesTest, BlockMasksAgreeWithTheTable) {
  const std::u16string filler = u"ab <\"x=9 ";
  for (CharBlockClassifier which : {CharBlockClassifier::kPortable, CharBlockClassifier::kSse2,
                                    CharBlockClassifier::kAvx2, CharBlockClassifier::kAvx512}) {
    if (!CharBlockClassifierUsable(which)) continue;
    SCOPED_TRACE(static_cast<int>(which));
    for (uint32_t c = 0; c <= 0xFFFF; ++c) {
      const char16_t ch = static_cast<char16_t>(c);
      const uint8_t cls = CharClassOf(ch);
      const bool expected[kCharBlockMaskCount] = {!IsBlank(ch),
                                                  IsNameChar(ch),
                                                  (cls & kCharNameStart) != 0,
                                                  (cls & kCharDelimiter) || c == 0,
                                                  c == '=',
                                                  c == '"' || c == '\'' || c == '<' || c == '%'};
      for (size_t at : {size_t{0}, size_t{7}, size_t{8}, size_t{15}, size_t{16}, size_t{31},
                        size_t{32}, size_t{40}, size_t{63}}) {
        char16_t block[kCharBlockSize];
        for (size_t i = 0; i < kCharBlockSize; ++i) block[i] = filler[i % filler.size()];
        block[at] = ch;
        CharBlockMasks masks;
        ClassifyCharBlockWith(which, block, kCharBlockSize, masks);
        for (int m = 0; m < kCharBlockMaskCount; ++m) {
          ASSERT_EQ((masks.bits[m] >> at) & 1, expected[m] ? 1u : 0u)
              << "character " << c << " at " << at << " mask " << m;
        }
      }
    }
  }
}

// Past the end of the text every position counts as a 0 that also stops attribute strings, so
// that no search runs past the end.
TEST(MarkupCharClassesTest, BlockMasksStopAtTheEndOfTheText) {
  const std::u16string text = u"abc  \u2028";
  for (size_t count : {size_t{0}, size_t{1}, size_t{4}, text.size()}) {
    SCOPED_TRACE(count);
    CharBlockMasks masks;
    ClassifyCharBlock(text.data(), count, masks);
    const uint64_t past_end = ~uint64_t{0} << count;
    for (int m : {kMaskNotBlank, kMaskDelimiter, kMaskStringStop}) {
      EXPECT_EQ(masks.bits[m] & past_end, past_end);
    }
    for (int m : {kMaskName, kMaskNameStart, kMaskEquals}) EXPECT_EQ(masks.bits[m] & past_end, 0u);
  }
  CharBlockMasks masks;
  ClassifyCharBlock(text.data(), text.size(), masks);
  EXPECT_EQ(masks.bits[kMaskNotBlank] & 0x3F, 0x07u);  // "abc"; blanks and U+2028 are not
  EXPECT_EQ(masks.bits[kMaskName] & 0x3F, 0x07u);
}

TEST(TextScannerTest, PositionToLineAndColumn) {
  // Four one-letter lines ended by CR LF, CR alone and LF alone.
  TextScanner scanner{std::u16string(u"a\r\nb\rc\nd")};
  struct Row {
    size_t offset, line, column;
  } rows[] = {{0, 0, 0}, {1, 0, 1}, {2, 0, 2}, {3, 1, 0}, {4, 1, 1},
              {5, 2, 0}, {6, 2, 1}, {7, 3, 0}, {8, 3, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.offset);
    const LineColumn at = scanner.PositionToLine(row.offset);
    EXPECT_EQ(at.line, row.line);
    EXPECT_EQ(at.column, row.column);
  }
}

TEST(TextScannerTest, LinesOfAnEmptyTextAndOfBreaksOnly) {
  TextScanner empty{std::u16string()};
  EXPECT_EQ(empty.PositionToLine(0).line, 0u);
  TextScanner breaks{std::u16string(u"\n\n\r\r\n")};
  EXPECT_EQ(breaks.PositionToLine(5).line, 4u);
  EXPECT_EQ(breaks.PositionToLine(3).line, 3u);  // between CR and the LF of the next pair
  EXPECT_EQ(breaks.PositionToLine(4).line, 3u);
}

TEST(TextScannerTest, ReadingAndSkipping) {
  TextScanner scanner{std::u16string(u" \t\r\nab")};
  EXPECT_TRUE(scanner.SkipWhitespace());
  EXPECT_EQ(scanner.Position(), 2u);
  EXPECT_FALSE(scanner.SkipWhitespace());
  EXPECT_TRUE(scanner.SkipLineBreaks());
  EXPECT_EQ(scanner.Position(), 4u);
  EXPECT_FALSE(scanner.MatchLiteral(u"AB", true));
  EXPECT_TRUE(scanner.MatchLiteral(u"ab", false));
  EXPECT_EQ(scanner.Position(), 4u);
  EXPECT_FALSE(scanner.MatchLiteral(u"abc", true));
  EXPECT_TRUE(scanner.MatchLiteral(u"ab", true));
  EXPECT_EQ(scanner.NextChar(), u'\0');
  EXPECT_EQ(scanner.Position(), 6u);
  scanner.SetPosition(100);
  EXPECT_EQ(scanner.Position(), 6u);
  scanner.SetPosition(4);
  EXPECT_EQ(scanner.NextChar(), u'a');
}

TEST(TextScannerTest, KeepsItsOwnCopy) {
  std::u16string text = u"abc";
  TextScanner scanner{text};
  text[0] = u'x';
  EXPECT_EQ(scanner.Text(), u"abc");
}

}  // namespace
}  // namespace kpx::testing
