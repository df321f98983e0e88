// The readable forms the check tool prints: code units that do not print, and pairs hidden by an
// earlier pair with the same key.
#include "profile/profile_description.h"

#include <gtest/gtest.h>

#include <string>

#include "base/utf.h"

namespace kpx {
namespace {

TEST(ProfileDescriptionTest, CodeUnits) {
  struct Row {
    std::u16string_view text;
    std::string shown;
  };
  const Row rows[] = {
      {u"", "\"\""},
      {u"&nbsp;", "\"&nbsp;\""},
      {u"\u00A0", "U+00A0"},
      {u"a\u00A0b", "\"a\" U+00A0 \"b\""},
      {u"\r\n", "U+000D U+000A"},
      {u"say \"hi\"", "\"say \" U+0022 \"hi\" U+0022"},
      {u"\u00E9\u2026", "\"\u00E9\u2026\""},
      {u"\u200B\uFEFF", "U+200B U+FEFF"},
      {u"\U0001F600", "\"\U0001F600\""},
      {u"\xD83D", "U+D83D"},
      {u"x\xDE00", "\"x\" U+DE00"},
      {std::u16string_view(u"\0", 1), "U+0000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shown);
    EXPECT_EQ(ToUtf8(DescribeCodeUnits(row.text)), row.shown);
  }
}

TEST(ProfileDescriptionTest, SubstitutionsMarkHiddenPairs) {
  SubstitutionTable table;
  table.Add(u"\u00A0", u"&nbsp;");
  table.Add(u"ab", u"x");
  table.Add(u"ab", u"y");
  EXPECT_EQ(ToUtf8(DescribeSubstitutions(table)),
            "Substitutions: 3 pairs, keys of 1 to 2 code units\n"
            "  U+00A0  ->  \"&nbsp;\"\n"
            "  \"ab\"    ->  \"x\"\n"
            "  \"ab\"    ->  \"y\"  (never used: an earlier pair has the same key)\n");
  EXPECT_EQ(ToUtf8(DescribeSubstitutions(SubstitutionTable())),
            "Substitutions: none (texts pass unchanged)\n");
}

TEST(ProfileDescriptionTest, NameListsAndOutputs) {
  NameList repeated(NameListState::kListed);
  repeated.set_exact_case(false);
  for (std::u16string_view name : {u"td", u"TD", u"th"}) repeated.Add(name);
  EXPECT_EQ(ToUtf8(DescribeNameList(repeated)), "td; th");
  EXPECT_EQ(ToUtf8(DescribeNameList(NameList(NameListState::kAllButListed))), "any");
  EXPECT_EQ(
      ToUtf8(DescribeOutput({OutputKind::kXml, u"", kOptionEnumerateLocal | kOptionRawContent})),
      "xml:rawContent;enumerateLocal");
}

}  // namespace
}  // namespace kpx
