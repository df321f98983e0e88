// The document scanner: items, state flags, the script comment rule, repairs on whole pages, a
// scan of every corpus page, and inputs made to provoke repeated scanning.
#include "markup/document_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/utf.h"
#include "markup/markup_char_classes.h"
#include "scan_test_util.h"

namespace kpx::testing {
namespace {

struct ItemRow {
  const char16_t* input;
  const char* items;
  const char* edits = "";
  const char16_t* result = nullptr;  // text after the edits; nullptr: unchanged
  const char* warnings = "";
  bool nested = false;
  const char16_t* placeholder = u"kpscheckedattr";
};

void CheckItemRows(const std::vector<ItemRow>& rows) {
  for (const ItemRow& row : rows) {
    SCOPED_TRACE(U8(row.input));
    DocumentScanner scanner{std::u16string(row.input)};
    TextEditList edits(std::u16string(row.input));
    RecordingWarnings warnings;
    scanner.set_edit_sink(&edits);
    scanner.set_warning_sink(&warnings);
    scanner.set_nested_comments(row.nested);
    scanner.set_placeholder_attribute_name(row.placeholder);
    EXPECT_EQ(DumpItems(scanner), row.items);
    EXPECT_EQ(DumpEdits(edits), row.edits);
    EXPECT_EQ(warnings.Text(), row.warnings);
    edits.Apply();
    EXPECT_EQ(U8(edits.Text()), U8(row.result != nullptr ? row.result : row.input));

    // Reading the caller's text in place instead of a copy changes nothing.
    const std::u16string text(row.input);
    DocumentScanner borrowing{BorrowedText{text}};
    TextEditList borrowing_edits(text);
    borrowing.set_edit_sink(&borrowing_edits);
    borrowing.set_nested_comments(row.nested);
    borrowing.set_placeholder_attribute_name(row.placeholder);
    EXPECT_EQ(DumpItems(borrowing), row.items);
    EXPECT_EQ(DumpEdits(borrowing_edits), row.edits);
  }
}

TEST(DocumentScannerTest, TagsAndTheirRepairs) {
  CheckItemRows({
      {u"<a href=x>y</a>", "Tag<a href=x:0@3,8,7> Text@10'y' Tag<a end>", "+8^'\"' +9^'\"'",
       u"<a href=\"x\">y</a>"},
      {u"<input checked>", "Tag<input checked=checked:0@7,14,0>", "+14^'=\"checked\"'",
       u"<input checked=\"checked\">"},
      {u"<td class=\"a\"class=\"b\">", "Tag<td rewrite class=a:2@4,10,9>", "+13^' ' -13,9",
       u"<td class=\"a\" >", "XX_MissedSpaceBetweenAttributes@13"},
      {u"<input {Checked}>", "Tag<input kpscheckedattr={Checked}:0@7,0,0>"},
      // Not tags; what follows is read with attribute-value mode off.
      {u"< p>x", "Text@0'<' Text@2'p' Text@3'>' Text@4'x'"},
      {u"<3 \"a b\">", "Text@0'<' Text@1'3' Text@3'\"' Text@4'a' Text@6'b' Text@7'\"' Text@8'>'"},
      // Five junk tokens: no tag, its repairs withdrawn, its text one Text item.
      {u"<a href=x ! ! ! ! ! b>x", "Text@0'<a href=x ! ! ! ! !' Text@20'b' Text@21'>' Text@22'x'"},
      // A tag interrupted by "<": its text, then the tag that interrupted it.
      {u"<a b=\"1\" <p>x", "Text@0'<a b=\"1\" ' Tag<p> Text@12'x'"},
  });
}

// The shapes nearly every tag of a real page has (quoted or minimized attributes, blanks and line
// breaks between them, "/>"), and the exceptions to them that are read another way.
TEST(DocumentScannerTest, CommonTagShapesAndTheirExceptions) {
  CheckItemRows({
      {u"<p class=\"a\" id='b'>x</p>",
       "Tag<p class=a:2@3,9,8 id=b:1@13,16,15> Text@20'x' Tag<p end>"},
      {u"<TABLE  BORDER = \"0\"\n CellPadding='2'>",
       "Tag<TABLE BORDER=0:2@8,17,15 CellPadding=2:1@22,34,33>"},
      {u"<input type=\"checkbox\" checked disabled>",
       "Tag<input type=checkbox:2@7,12,11 checked=checked:0@23,30,0 "
       "disabled=disabled:0@31,39,0>",
       "+30^'=\"checked\"' +39^'=\"disabled\"'",
       u"<input type=\"checkbox\" checked=\"checked\" disabled=\"disabled\">"},
      {u"<a href=\"?a=1&b=2\" title=\"x<y>z\">",
       "Tag<a href=?a=1&amp;b=2:2@3,8,7 title=x&lt;y&gt;z:2@19,25,24>",
       "-13,1 +13^'&amp;' -27,1 +27^'&lt;' -29,1 +29^'&gt;'",
       u"<a href=\"?a=1&amp;b=2\" title=\"x&lt;y&gt;z\">"},
      {u"<a title='it\"s' alt=\"it's\">", "Tag<a title=it&quot;s:1@3,9,8 alt=it's:2@16,20,19>",
       "-12,1 +12^'&quot;'", u"<a title='it&quot;s' alt=\"it's\">"},
      {u"<br/><br /><br/ >", "Tag<br self> Tag<br self> Tag<br self>"},
      {u"<html xmlns:v=\"\" xmlns=\"x\">",
       "Tag<html xmlns:v=http://www.kpx.invalid/dummy-namespace:2@6,14,13 xmlns=x:2@17,23,22>"},
      {u"<b>\"x\"</b>", "Tag<b> Text@3'\"' Text@4'x' Text@5'\"' Tag<b end>"},
      // Exceptions: a duplicate, server code and a quote inside a value, the end of the text,
      // junk, junk after "/", a missing space.
      {u"<td CLASS=\"a\" class=\"b\">", "Tag<td rewrite CLASS=a:2@4,10,9>", "-14,9",
       u"<td CLASS=\"a\" >"},
      {u"<a title=\"<% x %>\">", "Tag<a title=&lt;% x %&gt;:2@3,9,8>",
       "-10,1 +10^'&lt;' -16,1 +16^'&gt;'", u"<a title=\"&lt;% x %&gt;\">"},
      {u"<a title=\"a\"b\">", "Tag<a title=a&quot;b:2@3,9,8>", "-11,1 +11^'&quot;'",
       u"<a title=\"a&quot;b\">"},
      {u"<a b=\"1\"", "Tag<a rewrite b=1:2@3,5,4>"},
      {u"<a -x>", "Tag<a junk=3+2>"},
      {u"<a href=\"x\"/x>", "Tag<a href=x:2@3,8,7 x=x:0@12,13,0 junk=11+1>", "+13^'=\"x\"' -11,1",
       u"<a href=\"x\"x=\"x\">"},
      {u"<a b=\"1\"c=\"2\">", "Tag<a b=1:2@3,5,4 c=2:2@8,10,9>", "+8^' '", u"<a b=\"1\" c=\"2\">",
       "XX_MissedSpaceBetweenAttributes@8"},
  });
}

// Words ahead are read the same in every mode, but a caller that switches a mode between items
// changes how what follows is read.
TEST(DocumentScannerTest, ModeSwitchedBetweenItems) {
  DocumentScanner scanner{std::u16string(u"a \"b c\" d e")};
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kText);
  scanner.set_script_mode(true);
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kText);
  EXPECT_EQ(scanner.LastTokenKind(), LexToken::kScriptString);
  EXPECT_EQ(scanner.ItemTextView(), u"\"b c\"");  // a Text item holds the token's source
  scanner.set_script_mode(false);
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kText);
  EXPECT_EQ(scanner.ItemTextView(), u"d");
  scanner.SetPosition(2);
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kText);
  EXPECT_EQ(scanner.LastTokenKind(), LexToken::kOther);
  EXPECT_EQ(scanner.ItemTextView(), u"\"");
}

// Outside tags every item is one token: on text without "<" the scanner, which reads words,
// runs and lone delimiters a block at a time, must give exactly the tokens the lexer reads one
// by one, in either mode, wherever the block boundaries fall.
TEST(DocumentScannerTest, TextWithoutTagsReadsAsTheLexersTokens) {
  const std::u16string alphabet =
      std::u16string(u"aZ1_-#:.,;&* \t\n\r\"'>{}/!%?@=") + char16_t{0} + u"\u00e9\u2028";
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  for (int round = 0; round < 400; ++round) {
    std::u16string text;
    const std::size_t length = next() % 300;
    for (std::size_t i = 0; i < length; ++i) {
      // Long words now and then, so that items run across block boundaries.
      if (next() % 16 == 0) text.append(next() % 70, u'w');
      text += alphabet[next() % alphabet.size()];
    }
    for (const bool script : {false, true}) {
      SCOPED_TRACE(U8(text) + (script ? " (script mode)" : ""));
      DocumentScanner scanner{text};
      MarkupLexer lexer{text};
      scanner.set_script_mode(script);
      lexer.set_script_mode(script);
      for (int items = 0;; ++items) {
        ASSERT_LT(items, 2000);
        const MarkupItem item = scanner.NextItem();
        const LexToken token = lexer.NextToken();
        ASSERT_EQ(item == MarkupItem::kEnd, token == LexToken::kEnd);
        if (token == LexToken::kEnd) break;
        ASSERT_EQ(scanner.LastTokenKind(), token) << items;
        ASSERT_EQ(scanner.ItemStart(), lexer.LastToken().begin) << items;
        ASSERT_EQ(scanner.ItemEnd(), lexer.LastToken().end) << items;
        if (token == LexToken::kAbort) break;
      }
    }
  }
}

// Text is classified in blocks of characters; words, runs of other characters and blanks read
// the same wherever the block boundaries fall in them.
TEST(DocumentScannerTest, RunsAcrossBlockBoundaries) {
  const std::u16string word(150, u'w');
  const std::u16string others(150, u'.');
  for (size_t shift = 0; shift < 2 * kCharBlockSize + 2; ++shift) {
    SCOPED_TRACE(shift);
    const std::u16string text = std::u16string(shift, u' ') + u"alpha beta, gamma(" + word + u" " +
                                others + u"\u00a0x" + std::u16string(shift, u'\n') + u"<b>z";
    DocumentScanner scanner{text};
    struct Expected {
      size_t offset;
      std::u16string text;
      LexToken kind;
    };
    const size_t w = shift + 18;  // the long word
    const Expected items[] = {
        {shift, u"alpha", LexToken::kName},
        {shift + 6, u"beta", LexToken::kName},
        {shift + 10, u", ", LexToken::kOther},
        {shift + 12, u"gamma", LexToken::kName},
        {shift + 17, u"(", LexToken::kOther},
        {w, word, LexToken::kName},
        {w + 151, others + u"\u00a0", LexToken::kOther},
        {w + 302, u"x", LexToken::kName},
    };
    for (const Expected& item : items) {
      ASSERT_EQ(scanner.NextItem(), MarkupItem::kText);
      EXPECT_EQ(scanner.ItemStart(), item.offset);
      EXPECT_EQ(scanner.ItemTextView(), item.text);
      EXPECT_EQ(scanner.LastTokenKind(), item.kind);
    }
    ASSERT_EQ(scanner.NextItem(), MarkupItem::kTag);
    EXPECT_EQ(scanner.TagStart(), w + 303 + shift);
    ASSERT_EQ(scanner.NextItem(), MarkupItem::kText);
    EXPECT_TRUE(scanner.Tag().name.IsEmpty());  // a text item leaves no tag behind
    EXPECT_EQ(scanner.NextItem(), MarkupItem::kEnd);
  }
}

TEST(DocumentScannerTest, CommentsDeclarationsAndSections) {
  CheckItemRows({
      {u"x<!-- a -->y", "Text@0'x' Comment@1' a ' Text@11'y'"},
      {u"<!---->", "Comment@0''"},
      {u"x <!-- y", "Text@0'x' Text@2'<!-- y'"},
      // Nested levels that never close: only "<!--" is text and reading goes on inside.
      {u"<!-- a <!-- b -->", "Text@0'<!--' Text@5'a' Comment@7' b '", "", nullptr, "", true},
      {u"<!-- a <!-- b --> -->", "Comment@0' a <!-- b --> '", "", nullptr, "", true},
      {u"<![cdata[x]]>", "CData@0'x'", "-2,7 +2^'[CDATA['", u"<![CDATA[x]]>"},
      {u"<?php echo \"a>b\"; ?>z", "Declaration@0'php' Text@20'z'"},
      {u"<!DOCTYPE html PUBLIC \"x\" \"y\">", "Declaration@0'DOCTYPE'"},
      {u"<% x %>", "Declaration@0'x'"},
      {u"<%= x %>", "Text@0'<%' Text@2'=' Text@4'x' Text@6'%>'"},
  });
}

TEST(DocumentScannerTest, ScriptBodies) {
  CheckItemRows({
      {u"<script>if (a<b) x = 1;</script>",
       "Tag<script> Text@8'if' Text@11'(' Text@12'a' Text@13'<' Text@14'b' Text@15') ' "
       "Text@17'x' Text@19'=' Text@21'1' Text@22';' Tag<script end>"},
      // The comment that hides a body from old browsers is passed over.
      {u"<script><!--\nvar a;\n//--></script>",
       "Tag<script> Text@13'var' Text@17'a' Text@18';\n' Comment@20'-->' Tag<script end>"},
      // A template comment right after the start tag stays a comment.
      {u"<script><!-- BEGIN Grid g --></script>",
       "Tag<script> Comment@8' BEGIN Grid g ' Tag<script end>"},
      {u"<script><!-- END Grid g --></script>",
       "Tag<script> Comment@8' END Grid g ' Tag<script end>"},
      {u"<script><!-- BEGINS --></script>",
       "Tag<script> Text@13'BEGINS' Text@20'--' Text@22'>' Tag<script end>"},
      {u"<script>/* a */ s = \"x</script>\";</script>",
       "Tag<script> Comment@8' a ' Text@16's' Text@18'=' Text@20'\"x' Tag<script end> "
       "Text@31'\"' Text@32';' Tag<script end>",
       "", nullptr, "XX_UnclosedScriptString@20"},
      {u"<script/>a<b c>", "Tag<script self> Text@9'a' Tag<b c=c:0@13,14,0>", "+14^'=\"c\"'",
       u"<script/>a<b c=\"c\">"},
  });
}

TEST(DocumentScannerTest, StateFlags) {
  const std::u16string text =
      u"<html><head><script>x</script><style>p</style></head><body><comment>c</comment>"
      u"<br/></body></html>";
  DocumentScanner scanner{text};
  // html head body raw script, after each item
  const char* expected[] = {"10000", "11000", "11011", "11011", "11000", "11010", "11010", "11000",
                            "10000", "10100", "10110", "10110", "10100", "10100", "10000", "00000"};
  for (const char* flags : expected) {
    SCOPED_TRACE(flags);
    ASSERT_NE(scanner.NextItem(), MarkupItem::kEnd);
    std::string got;
    for (bool f : {scanner.inside_html(), scanner.inside_head(), scanner.inside_body(),
                   scanner.inside_raw_content(), scanner.script_mode()}) {
      got += f ? '1' : '0';
    }
    EXPECT_EQ(got, flags);
  }
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kEnd);
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kEnd);
}

TEST(DocumentScannerTest, ServerBlockInAScriptEndsScriptMode) {
  DocumentScanner scanner{std::u16string(u"<script><% x %>\"a</script>")};
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kTag);
  EXPECT_TRUE(scanner.script_mode());
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kDeclaration);
  EXPECT_FALSE(scanner.script_mode());
  EXPECT_TRUE(scanner.inside_raw_content());
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kText);  // the quote is a plain delimiter now
  EXPECT_EQ(scanner.ItemTextView(), u"\"");
}

TEST(DocumentScannerTest, AbandonedTagLeavesNoRecord) {
  DocumentScanner scanner{std::u16string(u"<a href=x ! ! ! ! ! >")};
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kText);
  EXPECT_TRUE(scanner.Tag().name.IsEmpty());
  EXPECT_TRUE(scanner.Tag().attributes.IsEmpty());
  EXPECT_EQ(scanner.TagStart(), kNoTagStart);
}

TEST(DocumentScannerTest, ItemTextAndPositions) {
  DocumentScanner scanner{std::u16string(u" <b>text<!--c-->")};
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kTag);
  EXPECT_EQ(scanner.TagStart(), 1u);
  EXPECT_EQ(scanner.ItemStart(), 1u);
  EXPECT_EQ(scanner.ItemEnd(), 4u);
  EXPECT_EQ(scanner.ItemText().View(), u"");
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kText);
  EXPECT_EQ(scanner.ItemText().View(), u"text");
  EXPECT_EQ(scanner.LastTokenKind(), LexToken::kName);
  EXPECT_EQ(scanner.TagStart(), 1u);  // the last tag's
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kComment);
  EXPECT_EQ(scanner.ItemText().View(), u"c");
  EXPECT_EQ(scanner.LastTokenKind(), LexToken::kComment);
  // Callers may move back and read again, from any place.
  scanner.SetPosition(1);
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kTag);
  EXPECT_EQ(scanner.Tag().name.View(), u"b");
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kText);
  EXPECT_EQ(scanner.ItemText().View(), u"text");
  scanner.SetPosition(6);
  EXPECT_EQ(scanner.NextItem(), MarkupItem::kText);
  EXPECT_EQ(scanner.ItemText().View(), u"xt");
  EXPECT_EQ(scanner.ItemStart(), 6u);
}

// --- Whole pages ---

std::u16string DecodePage(const std::string& bytes) {
  if (!FindInvalidUtf8(bytes)) return ToUtf16(bytes);
  std::u16string latin1;  // the few pages that are not UTF-8 are ISO-8859-1
  latin1.reserve(bytes.size());
  for (unsigned char c : bytes) latin1.push_back(c);
  return latin1;
}

std::vector<std::filesystem::path> CorpusPages() {
  std::vector<std::filesystem::path> pages;
  const std::filesystem::path root = KPX_SOURCE_DIR "/../shared/corpus";
  for (const char* folder : {"tidy-cases", "pages"}) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root / folder, error)) {
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && name.find("LICENSE") == std::string::npos) {
        pages.push_back(entry.path());
      }
    }
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

enum class ScanSetup { kTextUtility, kRecognition };

// Scans the page and checks that the items follow each other, that only blanks (and a script
// comment opener) lie between them, and that the scan ends. Returns the edits' count.
size_t ScanPage(const std::u16string& text, ScanSetup setup, bool repairs, TextEditList& edits) {
  DocumentScanner scanner{text};
  scanner.set_edit_sink(&edits);
  scanner.set_record_repairs(repairs);
  if (setup == ScanSetup::kTextUtility) {
    scanner.set_placeholder_attribute_name(u"kpscheckedattr");
  } else {
    scanner.set_placeholder_attribute_name(u"checked");
    scanner.set_junk_attribute_name(u"kpstagcontent");
    scanner.set_nested_comments(true);
  }
  size_t previous_end = 0;
  size_t items = 0;
  for (;;) {
    const MarkupItem kind = scanner.NextItem();
    if (kind == MarkupItem::kEnd) break;
    if (++items > text.size() + 1) {
      ADD_FAILURE() << "no end after " << items << " items";
      break;
    }
    EXPECT_GE(scanner.ItemStart(), previous_end);
    EXPECT_GT(scanner.ItemEnd(), scanner.ItemStart());
    std::u16string_view gap(text.data() + previous_end, scanner.ItemStart() - previous_end);
    if (size_t opener = gap.find(u"<!--"); opener != std::u16string_view::npos) {
      EXPECT_TRUE(scanner.script_mode() || scanner.inside_raw_content());
      gap.remove_prefix(opener + 4);
    }
    for (char16_t c : gap) {
      if (!IsBlank(c)) {
        ADD_FAILURE() << "uncovered text at " << previous_end;
        return edits.EditCount();
      }
    }
    previous_end = scanner.ItemEnd();
  }
  EXPECT_TRUE(scanner.AtEnd());
  return edits.EditCount();
}

TEST(DocumentScannerCorpusTest, EveryPageComesBackUnchangedWithoutRepairs) {
  const auto pages = CorpusPages();
  if (pages.empty()) GTEST_SKIP() << "corpus not found";
  for (const auto& path : pages) {
    SCOPED_TRACE(path.filename().string());
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::u16string text = DecodePage(bytes);
    for (ScanSetup setup : {ScanSetup::kTextUtility, ScanSetup::kRecognition}) {
      TextEditList edits(text);
      EXPECT_EQ(ScanPage(text, setup, false, edits), 0u);
      edits.Apply();
      EXPECT_TRUE(edits.Text() == text);
    }
  }
}

TEST(DocumentScannerCorpusTest, RepairsOfEveryPageApply) {
  const auto pages = CorpusPages();
  if (pages.empty()) GTEST_SKIP() << "corpus not found";
  size_t repaired_pages = 0;
  for (const auto& path : pages) {
    SCOPED_TRACE(path.filename().string());
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::u16string text = DecodePage(bytes);
    TextEditList edits(text);
    if (ScanPage(text, ScanSetup::kTextUtility, true, edits) > 0) ++repaired_pages;
    for (const TextEdit& edit : edits.Edits()) {
      ASSERT_LE(edit.position + edit.count, text.size());
    }
    EXPECT_NO_THROW(edits.Apply());
    // Scanned again, the repaired page needs no quoting or value repairs.
    TextEditList again(edits.Text());
    DocumentScanner rescan{edits.Text()};
    rescan.set_edit_sink(&again);
    while (rescan.NextItem() != MarkupItem::kEnd) {
    }
  }
  EXPECT_GT(repaired_pages, 0u);
}

// --- Inputs that would make a careless scanner read the same text over and over ---

// Every item as "kind token start-end tag-start head raw", one per line; with skip, each run of
// plain items is read at once and only its last item shows.
std::string ItemTrace(const std::u16string& text, bool skip) {
  DocumentScanner scanner{text};
  scanner.set_placeholder_attribute_name(u"checked");
  scanner.set_junk_attribute_name(u"kpstagcontent");
  scanner.set_nested_comments(true);
  std::string out;
  std::string last_plain;
  auto line = [&] {
    return std::to_string(static_cast<int>(scanner.LastTokenKind())) + ' ' +
           std::to_string(scanner.ItemStart()) + '-' + std::to_string(scanner.ItemEnd()) + ' ' +
           std::to_string(scanner.Position()) + ' ' + std::to_string(scanner.inside_head()) +
           std::to_string(scanner.inside_raw_content()) + '\n';
  };
  for (size_t items = 0; items <= text.size() + 1; ++items) {
    const MarkupItem kind = scanner.NextItem();
    const LexToken token = scanner.LastTokenKind();
    const bool plain =
        kind == MarkupItem::kText && (token == LexToken::kName || token == LexToken::kOther);
    if (plain) {
      if (skip) scanner.SkipPlainItems();
      last_plain = "T " + line();
      continue;
    }
    out += last_plain;
    last_plain.clear();
    if (kind == MarkupItem::kEnd) break;
    out += std::to_string(static_cast<int>(kind)) + ' ' + line();
  }
  return out;
}

// Skipping a run of words leaves the scanner where reading them one by one does, wherever the
// blocks of characters cut the run and whatever item ends it.
TEST(DocumentScannerTest, SkippedWordsLeaveTheScannerAsReadingThem) {
  std::vector<std::u16string> texts;
  const std::u16string units[] = {u"word ",         u"x",     u", ",         u"<b>",
                                  u"</td>",         u"{A}",   u"<!-- c -->", u"\n",
                                  u"a=b",           u"\"q\"", u"<head>",     u"<script>s</script>",
                                  u"\u00e9t\u00e9 "};
  std::uint32_t state = 7;
  for (int round = 0; round < 300; ++round) {
    std::u16string text;
    const size_t count = state % 60;
    for (size_t i = 0; i < count; ++i) {
      state = state * 1103515245u + 12345u;
      text += units[(state >> 8) % std::size(units)];
      if ((state >> 20) % 9 == 0) text.append((state >> 4) % 90, u'w');
    }
    state = state * 1103515245u + 12345u;
    texts.push_back(text);
  }
  for (const auto& path : CorpusPages()) {
    if (path.parent_path().filename() != "pages") continue;
    std::ifstream in(path, std::ios::binary);
    texts.push_back(DecodePage(std::string(std::istreambuf_iterator<char>(in), {})));
  }
  for (const std::u16string& text : texts) {
    SCOPED_TRACE(U8(text.substr(0, 80)));
    const std::string one_by_one = ItemTrace(text, false);
    EXPECT_TRUE(ItemTrace(text, true) == one_by_one);
  }
}

std::u16string Repeat(std::u16string_view unit, size_t length) {
  std::u16string text;
  while (text.size() < length) text += unit;
  return text;
}

TEST(DocumentScannerTest, RepeatedUnterminatedConstructsStayLinear) {
  constexpr size_t kLength = 400000;
  const std::u16string texts[] = {
      Repeat(u"<a x=\"", kLength),
      Repeat(u"<a x=\"<a y=\"", kLength) + u"\" <",
      Repeat(u"<!-- ", kLength),
      Repeat(u"<!-- <!-- -->", kLength),
      u"<script>" + Repeat(u"<a x=\"", kLength),
      u"<script>" + Repeat(u"'\\'", kLength),
      Repeat(u"<a x=\"<%\" ", kLength),
      Repeat(u"<a {", kLength),
      Repeat(u"<", kLength),
      Repeat(u"<a ", kLength),
      Repeat(u"<![CDATA[", kLength),
      Repeat(u"<?x '", kLength),
  };
  for (const std::u16string& text : texts) {
    SCOPED_TRACE(U8(text.substr(0, 16)));
    for (bool nested : {false, true}) {
      const auto start = std::chrono::steady_clock::now();
      DocumentScanner scanner{text};
      TextEditList edits(text);
      scanner.set_edit_sink(&edits);
      scanner.set_nested_comments(nested);
      scanner.set_junk_attribute_name(u"kpstagcontent");
      size_t items = 0;
      while (scanner.NextItem() != MarkupItem::kEnd && items <= text.size()) ++items;
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      EXPECT_LT(seconds, 5.0);
    }
  }
}

}  // namespace
}  // namespace kpx::testing
