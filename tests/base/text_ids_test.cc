#include "base/text_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kpx {
namespace {

// Texts that share a length, a head or both, and the empty text: each must keep a number of its
// own, and each number must lead back to its text.
TEST(TextIdsTest, EveryTextKeepsItsOwnNumber) {
  const std::vector<std::u16string> texts = {u"",
                                             u"a",
                                             u"A",
                                             u"td",
                                             u"tD",
                                             u"abcd",
                                             u"abce",
                                             u"abcde",
                                             u"abcdf",
                                             u"abcdefgh",
                                             u"abcdefgi",
                                             std::u16string(1, u'\0'),
                                             u"\u00e9t\u00e9",
                                             u"kpsInsideHead",
                                             u"kpsInsideHeaD"};
  TextIds ids;
  for (size_t i = 0; i < texts.size(); ++i) {
    bool added = false;
    EXPECT_EQ(ids.Add(texts[i], &added), i);
    EXPECT_TRUE(added);
  }
  for (size_t i = 0; i < texts.size(); ++i) {
    bool added = true;
    EXPECT_EQ(ids.Add(texts[i], &added), i) << i;
    EXPECT_FALSE(added);
    EXPECT_EQ(ids.Find(texts[i]), i);
    EXPECT_EQ(ids.Text(static_cast<uint32_t>(i)), texts[i]);
  }
  EXPECT_EQ(ids.Find(u"abc"), TextIds::kAbsent);
  EXPECT_EQ(ids.Find(u"abcdefg"), TextIds::kAbsent);
}

// The table grows well past its first size and still finds every text.
TEST(TextIdsTest, ManyTextsAcrossGrowth) {
  TextIds ids;
  EXPECT_EQ(ids.Find(u"x"), TextIds::kAbsent);
  for (uint32_t i = 0; i < 5000; ++i) {
    const std::string digits = std::to_string(i);
    EXPECT_EQ(ids.Add(std::u16string(digits.begin(), digits.end())), i);
  }
  EXPECT_EQ(ids.Size(), 5000u);
  for (uint32_t i = 0; i < 5000; i += 7) {
    const std::string digits = std::to_string(i);
    EXPECT_EQ(ids.Find(std::u16string(digits.begin(), digits.end())), i);
  }
}

}  // namespace
}  // namespace kpx
