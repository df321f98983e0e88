#include "base/number_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>

namespace kpx {
namespace {

// Against std::map over random keys (many colliding in their low or high half): every key keeps
// its value across growth, and a key is new exactly once.
TEST(NumberMapTest, AgreesWithAnOrderedMap) {
  NumberMap<int> map;
  std::map<uint64_t, int> expected;
  std::mt19937_64 random(3);
  for (int i = 0; i < 20000; ++i) {
    const uint64_t key = (random() % 3 == 0) ? (random() % 64) << 32 : random() % 5000;
    auto [value, added] = map.Emplace(key);
    ASSERT_EQ(added, expected.count(key) == 0) << key;
    if (added) {
      value = i;
      expected[key] = i;
    } else {
      ASSERT_EQ(value, expected[key]) << key;
    }
  }
  EXPECT_EQ(map.Size(), expected.size());
}

}  // namespace
}  // namespace kpx
