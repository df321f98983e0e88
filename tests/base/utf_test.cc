// Conversions at the library's edges.
#include <gtest/gtest.h>

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
