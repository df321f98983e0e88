// resolvePaths: which values get the prefix and where it goes.
#include "textutil/path_resolution.h"

#include <gtest/gtest.h>

#include "text_utility_test_util.h"

namespace kpx::testing {
namespace {

TEST(PathResolutionTest, PrefixesRelativeValues) {
  struct Row {
    const char* name;
    std::u16string input;
    std::u16string expected;
  } rows[] = {
      {"relative src", u"<img src=\"img/a.gif\">", u"<img src=\"site/img/a.gif\">"},
      {"fragment link", u"<a href=\"#top\">", u"<a href=\"site/#top\">"},
      {"not relative",
       u"<a href=\"x://y\"><a href=\"/a\"><a href=\"c:\\a\"><a href=\"JavaScript:f()\">"
       u"<a href=\"\\\\srv\\a\"><a href=\"//cdn/x\"><a href=\"mailto://x\">",
       u"<a href=\"x://y\"><a href=\"/a\"><a href=\"c:\\a\"><a href=\"JavaScript:f()\">"
       u"<a href=\"\\\\srv\\a\"><a href=\"//cdn/x\"><a href=\"mailto://x\">"},
      {"a colon second in two characters", u"<a href=\"c:\">", u"<a href=\"site/c:\">"},
      {"whatever the order of the attributes", u"<img lowsrc=\"l\" src=\"s\">",
       u"<img lowsrc=\"site/l\" src=\"site/s\">"},
      {"all three", u"<x href=h lowsrc='l' src=s>", u"<x href=site/h lowsrc='site/l' src=site/s>"},
      {"unquoted, not repaired", u"<img src=a.gif alt=x>", u"<img src=site/a.gif alt=x>"},
      {"names as written only", u"<img SRC=\"a\" Href=\"b\">", u"<img SRC=\"a\" Href=\"b\">"},
      {"end tags too", u"</a href=\"x\">", u"</a href=\"site/x\">"},
      {"empty value and no value", u"<img src=\"\"><img src>", u"<img src=\"\"><img src>"},
      {"placeholders", u"<img src=\"{ImageUrl}\" {Checked}>",
       u"<img src=\"site/{ImageUrl}\" {Checked}>"},
      {"server code", u"<a href=\"<%= url %>\">x</a>", u"<a href=\"site/<%= url %>\">x</a>"},
      {"other attributes and text alone", u"src=\"a\" <p data=\"x\">src=b</p>",
       u"src=\"a\" <p data=\"x\">src=b</p>"},
      {"CR LF between attributes", u"<img\r\nsrc=\"a\"\rhref='b'>",
       u"<img\r\nsrc=\"site/a\"\rhref='site/b'>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(U8(ResolvePaths(row.input, u"site")), U8(row.expected));
  }
}

TEST(PathResolutionTest, ThePrefix) {
  struct Row {
    std::u16string path;
    std::u16string expected;
  } rows[] = {
      {u"site", u"<img src=\"site/a\">"},
      {u"site/", u"<img src=\"site/a\">"},
      {u"site\\", u"<img src=\"site\\a\">"},
      {u"/", u"<img src=\"/a\">"},
      {u"", u"<img src=\"a\">"},
      {u"http://host/app", u"<img src=\"http://host/app/a\">"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(U8(row.path));
    EXPECT_EQ(U8(ResolvePaths(u"<img src=\"a\">", row.path)), U8(row.expected));
  }
}

}  // namespace
}  // namespace kpx::testing
