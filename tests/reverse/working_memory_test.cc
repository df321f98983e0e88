// What the converter keeps between back transformations: the memory a page needed stays for the
// next page like it (which then maps nothing new), and a smaller page gives it back.
#include <gtest/gtest.h>

#include "reverse/edit_list_session.h"
#include "reverse/reverse_test_support.h"

namespace kpx::testing {
namespace {

TEST(BackTransformationMemory, KeptForAPageLikeTheLastGivenBackAfterASmallerOne) {
  const std::string chunk =
      "<span kpsServiceable=\"true\" kpsId=\"3\" name=\"Orders\" isBegin=\"true\"> <p>{Title} "
      "<a href=\"%7BLink1_Src%7D\">{Name}</a><br></p><span kpsServiceable=\"true\" kpsId=\"3\" "
      "isBegin=\"false\"> \n";
  std::string large;
  while (large.size() < 4'000'000) large += chunk;
  BackTransformer back;
  const std::string xml = back.Back(large);
  ASSERT_TRUE(LoadsAsXml(xml));
  const std::size_t held = back.WorkingBytesHeld();
  EXPECT_GT(held, EditListSession::kBytesWorthKeeping);
  EXPECT_LE(held, EditListSession::kBytesWorthKeepingPerCharacter * large.size());
  for (int again = 0; again < 2; ++again) {
    EXPECT_EQ(back.Back(large), xml);
    EXPECT_EQ(back.WorkingBytesHeld(), held);
  }
  EXPECT_EQ(back.Back("<p>small</p>"), "<Page><![CDATA[<p>small</p>]]></Page>");
  EXPECT_LE(back.WorkingBytesHeld(), EditListSession::kBytesWorthKeeping);
}

}  // namespace
}  // namespace kpx::testing
