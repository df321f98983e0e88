#include "recognition/tag_facts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kpx {
namespace {

// Names that pack into a number and names that do not (too long, other characters), in mixed
// letter case and far more than the memo holds: each comes back with the facts made for it, made
// once.
TEST(TagFactsTableTest, EveryNameKeepsItsOwnFacts) {
  std::vector<std::u16string> names = {u"td",          u"TD",     u"tD",  u"a",
                                       u"A",           u"h1",     u"H1",  u"blockquote",
                                       u"BLOCKQUOTE1", u"my-tag", u"x:y", u"\u00e9"};
  for (int i = 0; i < 2000; ++i) {
    const std::string digits = std::to_string(i);
    names.push_back(u"t" + std::u16string(digits.begin(), digits.end()));
  }
  TagFactsTable<std::u16string> table;
  int made = 0;
  auto make = [&made](std::u16string_view name) {
    ++made;
    return std::u16string(name);
  };
  for (int round = 0; round < 3; ++round) {
    for (const std::u16string& name : names) ASSERT_EQ(table.Of(name, make), name);
  }
  EXPECT_EQ(made, static_cast<int>(names.size()));
}

}  // namespace
}  // namespace kpx
