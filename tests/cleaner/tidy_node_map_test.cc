// The node map the cleaner's switches keep their records in.
#include "cleaner/tidy_node_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Node handles are only compared, never followed: addresses spaced as malloc spaces blocks.
TidyNode NodeAt(std::vector<char>& block, size_t i) {
  return reinterpret_cast<TidyNode>(block.data() + 16 * i);
}

TEST(TidyNodeMapTest, KeepsEveryRecordThroughGrowthAndFindsNoOther) {
  for (size_t count : {0u, 1u, 31u, 32u, 33u, 5000u}) {
    SCOPED_TRACE(count);
    std::vector<char> block(16 * (2 * count + 1));
    kpx::TidyNodeMap<size_t> map;
    for (size_t i = 0; i < count; ++i) map[NodeAt(block, 2 * i)] = i + 1;
    map[NodeAt(block, 0)] += 0;  // an existing node is not added again
    EXPECT_EQ(map.size(), count == 0 ? 1 : count);
    for (size_t i = 0; i < count; ++i) {
      const size_t* kept = map.Find(NodeAt(block, 2 * i));
      ASSERT_NE(kept, nullptr);
      EXPECT_EQ(*kept, i + 1);
      EXPECT_EQ(map.Find(NodeAt(block, 2 * i + 1)), nullptr);
    }
  }
}

}  // namespace
