// Conversions at the library's edges.
#include <gtest/gtest.h>
#include <utf8cpp/utf8.h>

#include <iterator>

#include "base/utf.h"

namespace {

TEST(UtfTest, RoundTripsEveryPlane) {
  const std::u16string text = u"a\u00e9\u20ac\U0001F600z";
  EXPECT_EQ(kpx::ToUtf8(text), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
  EXPECT_EQ(kpx::ToUtf16(kpx::ToUtf8(text)), text);
}

TEST(UtfTest, BrokenInputIsReplacedNotDropped) {
  struct Row {
    const char* name;
    std::u16string utf16;
    std::string utf8;
  };
  const Row rows[] = {
      {"lone high surrogate", std::u16string(u"a") + char16_t(0xD800) + u"b",
       "a\xEF\xBF\xBD"
       "b"},
      {"lone low surrogate at end", std::u16string(u"a") + char16_t(0xDC00), "a\xEF\xBF\xBD"},
      {"lone high surrogate at end after a block", std::u16string(20, u'a') + char16_t(0xD83D),
       std::string(20, 'a') + "\xEF\xBF\xBD"},
      {"pair across a block's end",
       std::u16string(15, u'a') + u"\U0001F600" + std::u16string(16, u'b'),
       std::string(15, 'a') + "\xF0\x9F\x98\x80" + std::string(16, 'b')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(kpx::ToUtf8(row.utf16), row.utf8);
  }
  EXPECT_EQ(kpx::ToUtf16("a\xFF"
                         "b"),
            u"a\uFFFD"
            "b");
}

TEST(UtfTest, FindsTheFirstInvalidByte) {
  struct Row {
    const char* name;
    std::string text;
    std::optional<size_t> offset;
  };
  const Row rows[] = {
      {"valid", "h\xC3\xA9llo", std::nullopt},
      {"empty", "", std::nullopt},
      {"stray continuation", "ab\x80", 2},
      {"truncated sequence", "abc\xE2\x82", 3},
      {"overlong", "x\xC0\xAF", 1},
      {"encoded surrogate", "\xED\xA0\x80", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(kpx::FindInvalidUtf8(row.text), row.offset);
  }
}

}  // namespace

// The block passes against utfcpp, character by character: every kind of sequence, valid and
// broken, at every position around the 8- and 16-byte blocks.
TEST(UtfTest, BlockPassesAgreeWithCharacterByCharacterConversion) {
  const std::string pieces[] = {"a",
                                "\xC3\xA9",
                                "\xE2\x82\xAC",
                                "\xF0\x9F\x98\x80",
                                "\xEF\xBF\xBF",
                                "\xF4\x8F\xBF\xBF",
                                "\x80",
                                "\xC3",
                                "\xE2\x82",
                                "\xC0\xAF",
                                "\xED\xA0\x80",
                                "\xF4\x90\x80\x80",
                                "\xF8\x88\x80\x80\x80",
                                "\xE0\x9F\xBF"};
  for (size_t ascii = 0; ascii < 40; ++ascii) {
    for (const std::string& piece : pieces) {
      for (const std::string& tail :
           {std::string(), std::string(20, 'z'), std::string("\xC3\xA9")}) {
        const std::string text = std::string(ascii, 'x') + piece + tail;
        SCOPED_TRACE(testing::PrintToString(text));
        const auto invalid = utf8::find_invalid(text.begin(), text.end());
        const auto scan = kpx::ScanUtf8(text);
        if (invalid != text.end()) {
          EXPECT_EQ(scan.invalid_at, static_cast<size_t>(invalid - text.begin()));
          continue;
        }
        ASSERT_FALSE(scan.invalid_at);
        std::u16string expected;
        utf8::utf8to16(text.begin(), text.end(), std::back_inserter(expected));
        EXPECT_EQ(scan.utf16_length, expected.size());
        EXPECT_EQ(kpx::ToUtf16(text), expected);
        EXPECT_EQ(kpx::ToUtf8(expected), text);
      }
    }
  }
}
