// The substitution table: its bucket hash, look-ups in shared buckets, the first pair read for a
// key, and one walk over a text where the longest key wins.
#include "profile/substitution_table.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/utf.h"

namespace kpx {
namespace {

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

SubstitutionTable Table(const Pairs& pairs) {
  SubstitutionTable table;
  for (const auto& [key, value] : pairs) table.Add(key, value);
  return table;
}

// Values worked out by hand (and with a second implementation) from the definition: each code
// unit makes h (h + unit) * 33, then h ^ (h >> 3), in 32 bits.
TEST(SubstitutionTableTest, HashAndBucket) {
  struct Row {
    std::u16string_view key;
    uint32_t hash;
    uint32_t bucket;
  };
  const Row rows[] = {
      {u"", 0, 0},
      {u"a", 3345, 51},
      {u"ab", 101545, 41},
      {u"abc", 3492701, 24},
      {u"\u00A0", 5684, 11},
      {u"&nbsp;", 3974530515u, 58},  // wraps around 32 bits
      {u"abcdefghijklmnopqrstuvwxyz", 1290255460, 52},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(ToUtf8(row.key));
    EXPECT_EQ(SubstitutionTable::Hash(row.key), row.hash);
    EXPECT_EQ(SubstitutionTable::Hash(row.key) % SubstitutionTable::kBucketCount, row.bucket);
  }
}

TEST(SubstitutionTableTest, LookUps) {
  // "f", "y" and "T" share bucket 30; "at" and "bc" share bucket 0 of the two-unit table.
  SubstitutionTable table = Table({{u"f", u"1"},
                                   {u"y", u"2"},
                                   {u"at", u"3"},
                                   {u"bc", u"4"},
                                   {u"y", u"later"},
                                   {u"abcdef", u"5"}});
  struct Row {
    std::u16string_view key;
    const char16_t* value;  // null: not found
  };
  const Row rows[] = {
      {u"f", u"1"},   {u"y", u"2"},          {u"T", nullptr},    {u"at", u"3"},
      {u"bc", u"4"},  {u"ct", nullptr},      {u"Y", nullptr},    {u"abcdef", u"5"},
      {u"", nullptr}, {u"abcdefg", nullptr}, {u"abcd", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(ToUtf8(row.key));
    const std::u16string* found = table.Find(row.key);
    if (row.value) {
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(*found, row.value);
    } else {
      EXPECT_EQ(found, nullptr);
    }
  }
  EXPECT_EQ(table.LongestKey(), 6u);
  EXPECT_EQ(table.pairs().size(), 6u);
  EXPECT_TRUE(table.IsFirstCharacter(u'a'));
  EXPECT_FALSE(table.IsFirstCharacter(u'c'));
}

TEST(SubstitutionTableTest, Apply) {
  struct Row {
    const char* what;
    Pairs pairs;
    std::u16string_view text;
    std::u16string_view result;
  };
  const Row rows[] = {
      {"an empty table returns the text", {}, u"abc\u00A0", u"abc\u00A0"},
      {"the longest key wins", {{u"ab", u"X"}, {u"abc", u"Y"}}, u"abcd", u"Yd"},
      {"whatever order the keys came in", {{u"abc", u"Y"}, {u"ab", u"X"}}, u"abcd", u"Yd"},
      {"a shorter key where the longer does not fit", {{u"ab", u"X"}, {u"abc", u"Y"}}, u"ab", u"X"},
      {"the first pair read for a key wins", {{u"a", u"1"}, {u"a", u"2"}}, u"aa", u"11"},
      {"keys compare with case", {{u"nbsp", u"X"}}, u"NBSP nbsp", u"NBSP X"},
      {"a replacement is not scanned again", {{u"a", u"aa"}, {u"aa", u"b"}}, u"a", u"aa"},
      {"matches do not overlap", {{u"aa", u"b"}}, u"aaa", u"ba"},
      {"a key at the very end", {{u"\u00A0", u"&nbsp;"}}, u"x\u00A0", u"x&nbsp;"},
      {"first characters that start no key here", {{u"abc", u"X"}}, u"ababc", u"abX"},
      {"a value may be longer or shorter",
       {{u"\u2026", u"..."}, {u"&amp;", u"&"}},
       u"a\u2026&amp;",
       u"a...&"},
      {"keys of three lengths", {{u"<", u"["}, {u"<b", u"{"}, {u"<br>", u"|"}}, u"<br><b<", u"|{["},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(Table(row.pairs).Apply(row.text), row.result);
  }
}

TEST(SubstitutionTableTest, ClearEmptiesEverything) {
  SubstitutionTable table = Table({{u"ab", u"X"}});
  table.Clear();
  EXPECT_TRUE(table.IsEmpty());
  EXPECT_EQ(table.LongestKey(), 0u);
  EXPECT_FALSE(table.IsFirstCharacter(u'a'));
  EXPECT_EQ(table.Apply(u"ab"), u"ab");
}

}  // namespace
}  // namespace kpx
