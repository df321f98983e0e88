// Decoding of x2x's INPUT bytes.
#include "x2x/input_decoding.h"

#include <gtest/gtest.h>

#include <sstream>

namespace x2x {
namespace {

TEST(InputDecodingTest, DecodesEachEncodingOrNamesTheFault) {
  struct Row {
    const char* name;
    std::string bytes;
    std::u16string text;  // expected when error is empty
    std::string error;
  };
  const Row rows[] = {
      {"plain UTF-8", "<p>\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</p>", u"<p>é€😀</p>", ""},
      {"empty", "", u"", ""},
      {"UTF-8 mark skipped", "\xEF\xBB\xBFx", u"x", ""},
      {"only the UTF-8 mark", "\xEF\xBB\xBF", u"", ""},
      {"UTF-16LE", std::string("\xFF\xFE<\0\xE9\0=\xD8\0\xDE", 10), u"<é\xD83D\xDE00", ""},
      {"UTF-16BE", std::string("\xFE\xFF\0<\0\xE9", 6), u"<é", ""},
      {"UTF-16 unpaired surrogate kept", std::string("\xFF\xFE\x00\xD8", 4), u"\xD800", ""},
      {"NUL kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3), ""},
      {"invalid byte", "ab\xFF", u"", "invalid UTF-8 at byte offset 2"},
      {"truncated sequence", "abc\xE2\x82", u"", "invalid UTF-8 at byte offset 3"},
      {"overlong form", "\xC0\xAF", u"", "invalid UTF-8 at byte offset 0"},
      {"encoded surrogate", "x\xED\xA0\x80", u"", "invalid UTF-8 at byte offset 1"},
      {"offset counts the mark",
       "\xEF\xBB\xBF"
       "a\x80",
       u"", "invalid UTF-8 at byte offset 4"},
      {"odd UTF-16", std::string("\xFF\xFE<\0>", 5), u"",
       "UTF-16 input has an odd number of bytes (5)"},
      {"odd UTF-16BE", std::string("\xFE\xFF\0", 3), u"",
       "UTF-16 input has an odd number of bytes (3)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DecodedInput decoded = DecodeInput(row.bytes);
    if (row.error.empty()) {
      ASSERT_FALSE(decoded.text.IsNull()) << decoded.error;
      EXPECT_EQ(decoded.text.View(), row.text);
    } else {
      EXPECT_TRUE(decoded.text.IsNull());
      EXPECT_EQ(decoded.error, row.error);
    }
  }
}

TEST(InputDecodingTest, ReadsStandardInputForDashOrNothing) {
  for (const char* path : {"", "-"}) {
    SCOPED_TRACE(path);
    std::istringstream in("text");
    std::string error;
    EXPECT_EQ(ReadInputBytes(path, in, &error), "text");
  }
}

TEST(InputDecodingTest, NamesFilesThatCannotBeRead) {
  std::istringstream in;
  std::string error;
  EXPECT_FALSE(ReadInputBytes("/nonexistent/page.html", in, &error));
  EXPECT_EQ(error, "cannot read /nonexistent/page.html: No such file or directory");
  EXPECT_FALSE(ReadInputBytes("/", in, &error));
  EXPECT_EQ(error, "cannot read /: it is a directory");
}

}  // namespace
}  // namespace x2x
