// Whole pages of several megabytes: thousands of repairs applied in one go, the same result as
// the small case, and inputs built to make a careless scan go back over the text again and again.
#include <gtest/gtest.h>
#include <time.h>

#include <string>

#include "text_utility_test_util.h"
#include "textutil/head_body_balancing.h"
#include "textutil/path_resolution.h"
#include "textutil/xhtml_conversion.h"

namespace kpx::testing {
namespace {

// Processor time of this thread, which other work on a busy machine does not lengthen.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::u16string Repeat(std::u16string_view text, size_t times) {
  std::u16string out;
  out.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i) out.append(text);
  return out;
}

// About 3.5 MB: each block needs a dozen repairs, and a </P> that goes with the line break after
// it.
constexpr size_t kBlocks = 30000;
constexpr std::u16string_view kBlock =
    u"<P CLASS=item>Item <A HREF=page.html>link</A><BR></P>\r\n"
    u"<P>x<TABLE><TR><TD>y</TD></TR></TABLE></P>\r<DIV><IMG SRC=img.gif></DIV>\n";
constexpr std::u16string_view kConvertedBlock =
    u"<p CLASS=\"item\">Item <a HREF=\"page.html\">link</a><br /></p>\r\n"
    u"x<table><tr><td>y</td></tr></table><div><img SRC=\"img.gif\" /></div>\n";

TEST(LargePageTest, ConvertsAPageOfSeveralMegabytes) {
  const std::u16string page =
      u"<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY>" + Repeat(kBlock, kBlocks) + u"</BODY></HTML>";
  ASSERT_GT(page.size(), 3'000'000u);
  const std::u16string expected = kXhtmlDoctype + u"<html" + kXmlns + u"><head><title>t</title>" +
                                  kMetaLine + u"</head><body>" + Repeat(kConvertedBlock, kBlocks) +
                                  u"</body></html>";
  TextEditList edits;
  const std::u16string result = ConvertToXhtml(edits, page, kPublishModeOff);
  EXPECT_TRUE(result == expected)
      << "first difference at "
      << std::mismatch(result.begin(), result.end(), expected.begin(), expected.end()).first -
             result.begin();
  // The room made for this page's edits (megabytes) is not kept by the converter's list.
  EXPECT_EQ(edits.EditCapacity(), 0u);
}

TEST(LargePageTest, BalancesAPageOfSeveralMegabytes) {
  // The head is never closed and every block repeats <BODY>: each repeat is a duplicate, and
  // the last one opens the body where the head content ends.
  const std::u16string block = u"<BODY><p class=x>a & b</p>\r\n";
  const std::u16string page =
      u"<html><head><title>t</title>\n<div>" + Repeat(block, 100000) + u"</div></body></html>";
  ASSERT_GT(page.size(), 2'500'000u);
  const std::u16string expected = u"<html><head><title>t</title>\n</head><BODY><div>" +
                                  Repeat(u"<p class=x>a & b</p>\r\n", 100000) +
                                  u"</div></body></html>";
  TextEditList edits;
  EXPECT_TRUE(BalanceHeadAndBody(edits, page) == expected);
}

TEST(LargePageTest, ResolvesThePathsOfAPageOfSeveralMegabytes) {
  const std::u16string page = Repeat(u"<img src=a.gif lowsrc='b'><a href=\"/abs\">x</a>\n", 60000);
  const std::u16string expected =
      Repeat(u"<img src=p/a.gif lowsrc='p/b'><a href=\"/abs\">x</a>\n", 60000);
  EXPECT_TRUE(ResolvePaths(page, u"p") == expected);
}

// Each of these makes a scan that searches again from an earlier place for every tag take time
// in the square of the page size (minutes here); a scan in one pass takes well under a second.
TEST(LargePageTest, NoRepeatedSearches) {
  constexpr size_t kCount = 100000;
  const std::u16string pages[] = {
      Repeat(u"<p>", kCount) + u"<div>" + Repeat(u"</p>", kCount),
      Repeat(u"<script>", kCount),
      Repeat(u"<style>x", kCount) + u"</style>",
      u"<script>" + Repeat(u"<meta http-equiv=content-type content=a>", kCount) + u"</script>",
      Repeat(u"<div>", kCount) + Repeat(u"<p></b></p>", kCount),
      Repeat(u"<meta name=content-type content='text/html; charset=x'>", kCount),
  };
  for (const std::u16string& page : pages) {
    SCOPED_TRACE(U8(page.substr(0, 20)));
    const double start = ThreadSeconds();
    TextEditList edits;
    ConvertToXhtml(edits, page, kPublishModeOff);
    BalanceHeadAndBody(edits, page);
    EXPECT_LT(ThreadSeconds() - start, 10.0);
  }
}

}  // namespace
}  // namespace kpx::testing
