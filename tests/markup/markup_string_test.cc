// MarkupString: storage, comparison with the case flag, and the text operations.
#include "markup/markup_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

namespace {

using kpx::MarkupString;

MarkupString Flagged(std::u16string_view text) {
  return MarkupString(text, true);
}
MarkupString Unflagged(std::u16string_view text) {
  return MarkupString(text, false);
}

TEST(MarkupStringTest, InlineStorageUpToThirtyCharacters) {
  const std::u16string thirty(30, u'x');
  MarkupString s(thirty);
  EXPECT_FALSE(s.IsOnHeap());
  EXPECT_EQ(s.View(), thirty);
  EXPECT_EQ(s.CStr()[30], 0);

  MarkupString longer(thirty + u"y");
  EXPECT_TRUE(longer.IsOnHeap());
  EXPECT_EQ(longer.Length(), 31u);

  s.Append(u'y');  // the 31st character moves the text to the heap
  EXPECT_TRUE(s.IsOnHeap());
  EXPECT_EQ(s.View(), thirty + u"y");
  EXPECT_EQ(s.CStr()[31], 0);

  s.Assign(u"short");  // short text goes back into the object
  EXPECT_FALSE(s.IsOnHeap());
  EXPECT_EQ(s.View(), u"short");
}

TEST(MarkupStringTest, CopiesAndMovesKeepTextAndFlag) {
  for (const std::u16string& text : {std::u16string(u"abc"), std::u16string(200, u'z')}) {
    SCOPED_TRACE(text.size());
    MarkupString original(text, false);
    MarkupString copy(original);
    EXPECT_EQ(copy.View(), text);
    EXPECT_FALSE(copy.CaseSensitive());
    MarkupString moved(std::move(copy));
    EXPECT_EQ(moved.View(), text);
    EXPECT_FALSE(moved.CaseSensitive());
    EXPECT_TRUE(copy.IsEmpty());  // NOLINT: moved-from state is specified as empty
    MarkupString assigned(u"q");
    assigned = moved;
    EXPECT_EQ(assigned.View(), text);
    MarkupString move_assigned(std::u16string(40, u'w'));
    move_assigned = std::move(assigned);
    EXPECT_EQ(move_assigned.View(), text);
    const MarkupString& alias = move_assigned;
    move_assigned = alias;  // self-assignment keeps the text
    EXPECT_EQ(move_assigned.View(), text);
  }
}

TEST(MarkupStringTest, ExplicitLengthKeepsZeros) {
  const char16_t chars[] = {u'a', 0, u'b'};
  MarkupString s(std::u16string_view(chars, 3));
  EXPECT_EQ(s.Length(), 3u);
  EXPECT_EQ(s[1], 0);
  // Substring stops at the zero character.
  EXPECT_EQ(s.Substring(0, 3).View(), u"a");
  EXPECT_EQ(MarkupString(static_cast<const char16_t*>(nullptr)).Length(), 0u);
  EXPECT_EQ(MarkupString(u"zero terminated").Length(), 15u);
}

TEST(MarkupStringTest, AppendOwnText) {
  MarkupString s(std::u16string(20, u'a'));
  s.Append(s.View());  // grows past the inline buffer while reading from it
  EXPECT_EQ(s.View(), std::u16string(40, u'a'));
  s.Append(s.View());
  EXPECT_EQ(s.View(), std::u16string(80, u'a'));
  s.Assign(s.View().substr(70));  // assign from its own heap text
  EXPECT_EQ(s.View(), std::u16string(10, u'a'));
}

struct CompareRow {
  const char* name;
  MarkupString a;
  MarkupString b;
  bool equal;
  int order;  // sign of a.Compare(b)
};

TEST(MarkupStringTest, EqualityAndOrderingFollowTheCaseFlags) {
  const CompareRow rows[] = {
      {"unflagged equals flagged in other case", Unflagged(u"TABLE"), Flagged(u"table"), true, 0},
      {"flagged on both sides differ by case", Flagged(u"TABLE"), Flagged(u"table"), false, -1},
      {"both unflagged", Unflagged(u"Td"), Unflagged(u"tD"), true, 0},
      {"two empty strings", Flagged(u""), Unflagged(u""), true, 0},
      {"empty sorts first", Flagged(u""), Flagged(u"a"), false, -1},
      {"non-empty after empty", Flagged(u"a"), Flagged(u""), false, 1},
      {"shorter first on a common prefix", Unflagged(u"h"), Unflagged(u"H1"), false, -1},
      {"lengths differ", Flagged(u"ab"), Flagged(u"abc"), false, -1},
      {"folding only ASCII", Unflagged(u"\u00C9"), Unflagged(u"\u00E9"), false, -1},
      {"folded order", Unflagged(u"B"), Flagged(u"a"), false, 1},
      {"case-sensitive order uses code points", Flagged(u"B"), Flagged(u"a"), false, -1},
  };
  for (const CompareRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.a == row.b, row.equal);
    EXPECT_EQ(row.b == row.a, row.equal);
    const int order = row.a.Compare(row.b);
    EXPECT_EQ((order > 0) - (order < 0), row.order);
    EXPECT_EQ(row.a < row.b, row.order < 0);
  }
}

TEST(MarkupStringTest, LiteralComparisonsUseOwnFlag) {
  EXPECT_TRUE(Unflagged(u"Checked").Equals(u"CHECKED"));
  EXPECT_FALSE(Flagged(u"Checked").Equals(u"CHECKED"));
  EXPECT_FALSE(Unflagged(u"Checked").Equals(u"Check"));
  EXPECT_TRUE(Unflagged(u"XMLNS:x").StartsWith(u"xmlns"));
  EXPECT_FALSE(Flagged(u"XMLNS:x").StartsWith(u"xmlns"));
  EXPECT_TRUE(Flagged(u"XMLNS:x").StartsWith(Unflagged(u"xmlns")));
  EXPECT_FALSE(Flagged(u"xml").StartsWith(u"xmlns"));
  EXPECT_TRUE(Flagged(u"x").StartsWith(u""));
}

struct FindRow {
  const char* name;
  MarkupString text;
  std::u16string_view needle;
  std::size_t from;
  std::size_t expected;
};

TEST(MarkupStringTest, FindSubstring) {
  const FindRow rows[] = {
      {"exact", Flagged(u"a <SCRIPT> b"), u"<SCRIPT>", 0, 2},
      {"case differs, flagged", Flagged(u"a <SCRIPT> b"), u"<script>", 0, MarkupString::npos},
      {"case differs, unflagged", Unflagged(u"a <SCRIPT> b"), u"<script>", 0, 2},
      {"from skips the first", Unflagged(u"abAB"), u"ab", 1, 2},
      {"needle longer than rest", Flagged(u"abc"), u"bcd", 0, MarkupString::npos},
      {"empty needle", Flagged(u"abc"), u"", 1, 1},
      {"from past the end", Flagged(u"abc"), u"", 4, MarkupString::npos},
      {"at the very end", Unflagged(u"xxY"), u"y", 0, 2},
  };
  for (const FindRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.text.Find(row.needle, row.from), row.expected);
  }
  EXPECT_EQ(Flagged(u"a=b=c").Find(u'=', 2), 3u);
  EXPECT_EQ(Flagged(u"abc").Find(u'='), MarkupString::npos);
}

TEST(MarkupStringTest, SubstringAndLastChar) {
  const MarkupString s = Unflagged(u"abcdef");
  EXPECT_EQ(s.Substring(2, 3).View(), u"cde");
  EXPECT_FALSE(s.Substring(2, 3).CaseSensitive());
  EXPECT_EQ(s.Substring(4).View(), u"ef");
  EXPECT_EQ(s.Substring(6, 1).View(), u"");
  EXPECT_EQ(s.Substring(99, 1).View(), u"");
  EXPECT_EQ(s.LastChar(), u'f');
  EXPECT_EQ(MarkupString().LastChar(), 0);
  EXPECT_EQ((s + u"gh").View(), u"abcdefgh");
  EXPECT_FALSE((s + Flagged(u"g")).CaseSensitive());
}

struct LongRow {
  std::u16string_view text;
  long expected;
};

TEST(MarkupStringTest, ToLongReadsLikeScanf) {
  const LongRow rows[] = {
      {u"", 0},
      {u"42", 42},
      {u"  -17px", -17},
      {u"+8", 8},
      {u"x1", 0},
      {u"-", 0},
      {u"\t\n 007", 7},
      {u"99999999999999999999999", LONG_MAX},
      {u"-99999999999999999999999", LONG_MIN},
      {u"-9223372036854775808", LONG_MIN},
  };
  for (const LongRow& row : rows) {
    SCOPED_TRACE(std::string(row.text.begin(), row.text.end()));
    EXPECT_EQ(MarkupString(row.text).ToLong(), row.expected);
  }
}

TEST(MarkupStringTest, CaseChangesOnlyAsciiLetters) {
  MarkupString s(u"AbZ\u00C9\u00E9[@`{");
  s.ToLower();
  EXPECT_EQ(s.View(), u"abz\u00C9\u00E9[@`{");
  s.ToUpper();
  EXPECT_EQ(s.View(), u"ABZ\u00C9\u00E9[@`{");
}

// Assigning a part of a longer text, at every length around the inline limit, with the text
// going on after the part and ending right at it, into strings held inline and on the heap.
TEST(MarkupStringTest, AssignFromPartsOfAText) {
  std::u16string text;
  for (int i = 0; i < 80; ++i) text.push_back(static_cast<char16_t>(u'A' + i % 26));
  for (size_t length = 0; length <= 40; ++length) {
    for (const size_t start : {size_t{3}, text.size() - length}) {
      for (const bool on_heap : {false, true}) {
        SCOPED_TRACE(std::to_string(length) + " at " + std::to_string(start) +
                     (on_heap ? " over a heap text" : ""));
        MarkupString s(on_heap ? std::u16string(40, u'x') : u"x", false);
        s.AssignFrom(text, start, length);
        EXPECT_EQ(s.View(), std::u16string_view(text).substr(start, length));
        EXPECT_EQ(s.CStr()[length], u'\0');
        EXPECT_EQ(s.IsOnHeap(), length > MarkupString::kInlineCapacity);
        EXPECT_FALSE(s.CaseSensitive());
      }
    }
  }
}

}  // namespace
