// NameList: matching in each state, alternatives separated by "|", the exact-case flag, and
// unions.
#include "profile/name_list.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace kpx {
namespace {

NameList List(NameListState state, std::initializer_list<std::u16string_view> names,
              bool exact = false) {
  NameList list(state);
  list.set_exact_case(exact);
  for (std::u16string_view name : names) list.Add(name);
  return list;
}

TEST(NameListTest, MatchesByStateAlternativesAndCase) {
  using S = NameListState;
  struct Row {
    const char* what;
    NameList list;
    std::u16string_view candidate;
    bool matches;
  };
  const Row rows[] = {
      {"unset matches nothing", NameList(), u"td", false},
      {"unset matches nothing, not even empty", NameList(), u"", false},
      {"any matches everything", List(S::kAny, {}), u"whatever", true},
      {"listed name", List(S::kListed, {u"td", u"th"}), u"th", true},
      {"listed needs the whole candidate", List(S::kListed, {u"td"}), u"tdx", false},
      {"listed is not a prefix match without |", List(S::kListed, {u"tdx"}), u"td", false},
      {"listed without names", List(S::kListed, {}), u"td", false},
      {"all but listed: a listed name", List(S::kAllButListed, {u"td"}), u"td", false},
      {"all but listed: another name", List(S::kAllButListed, {u"td"}), u"tr", true},
      {"all but nothing", List(S::kAllButListed, {}), u"tr", true},
      {"case-insensitive list", List(S::kListed, {u"TD"}), u"td", true},
      {"exact-case list", List(S::kListed, {u"TD"}, true), u"td", false},
      {"exact-case list, same case", List(S::kListed, {u"TD"}, true), u"TD", true},
      {"only ASCII letters fold", List(S::kListed, {u"\u00C9"}), u"\u00E9", false},
      {"first alternative", List(S::kListed, {u"container"}), u"container|complex", true},
      {"later alternative", List(S::kListed, {u"complex"}), u"container|complex|extended", true},
      {"alternative that begins with the name", List(S::kListed, {u"comp"}), u"x|complex", true},
      {"name longer than every alternative", List(S::kListed, {u"simplest"}), u"a|simple", false},
      {"no alternative begins with it", List(S::kListed, {u"simple"}), u"container|complex", false},
      {"alternatives ignore case", List(S::kListed, {u"EXTENDED"}), u"a|extended", true},
      {"alternatives keep exact case", List(S::kListed, {u"EXTENDED"}, true), u"a|extended", false},
      {"all but listed with alternatives", List(S::kAllButListed, {u"complex"}),
       u"container|complex", false},
      {"empty alternative after the last bar", List(S::kListed, {u"x"}), u"a|", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(row.list.Matches(row.candidate), row.matches);
  }
}

TEST(NameListTest, UnionMatchesWhatEitherSideMatches) {
  using S = NameListState;
  struct Row {
    const char* what;
    NameList left;
    NameList right;
    S state;
    std::u16string_view in;   // matched by the union
    std::u16string_view out;  // not matched by the union
  };
  const Row rows[] = {
      {"unset and listed", NameList(), List(S::kListed, {u"td"}), S::kListed, u"td", u"tr"},
      {"listed and unset", List(S::kListed, {u"td"}), NameList(), S::kListed, u"td", u"tr"},
      {"listed and listed", List(S::kListed, {u"td"}), List(S::kListed, {u"th"}), S::kListed, u"th",
       u"tr"},
      {"anything and any", List(S::kListed, {u"td"}), List(S::kAny, {}), S::kAny, u"tr", u""},
      {"any and listed", List(S::kAny, {}), List(S::kListed, {u"td"}), S::kAny, u"tr", u""},
      {"all but two and all but one of them", List(S::kAllButListed, {u"td", u"th"}),
       List(S::kAllButListed, {u"TD"}), S::kAllButListed, u"th", u"td"},
      {"listed and all but the same name", List(S::kListed, {u"td"}),
       List(S::kAllButListed, {u"td", u"th"}), S::kAllButListed, u"td", u"th"},
      {"all but two and one of them listed", List(S::kAllButListed, {u"td", u"th"}),
       List(S::kListed, {u"th"}), S::kAllButListed, u"th", u"td"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    NameList united = row.left;
    united.Unite(row.right);
    EXPECT_EQ(united.state(), row.state);
    EXPECT_TRUE(united.Matches(row.in));
    if (!row.out.empty()) {
      EXPECT_FALSE(united.Matches(row.out));
    }
  }
}

TEST(NameListTest, UnionOfManyLists) {
  using S = NameListState;
  const NameList unset;
  const NameList a = List(S::kListed, {u"td", u"th", u"TD"});
  const NameList b = List(S::kListed, {u"th", u"tr"});
  const NameList not_abc = List(S::kAllButListed, {u"a", u"b", u"c", u"b"});
  const NameList not_bcd = List(S::kAllButListed, {u"B", u"c", u"d"});
  const NameList listed_c = List(S::kListed, {u"c"});
  struct Row {
    const char* what;
    std::vector<const NameList*> lists;
    S state;
    std::vector<std::u16string> names;
  };
  const Row rows[] = {
      {"nothing", {}, S::kUnset, {}},
      {"only unset lists", {&unset, &unset}, S::kUnset, {}},
      {"listed names once each, in order", {&a, &unset, &b}, S::kListed, {u"td", u"th", u"tr"}},
      {"what every negated list leaves out", {&not_abc, &not_bcd}, S::kAllButListed, {u"b", u"c"}},
      {"minus the names listed anywhere",
       {&not_abc, &listed_c, &not_bcd},
       S::kAllButListed,
       {u"b"}},
      {"a negated list alone keeps its names once",
       {&not_abc},
       S::kAllButListed,
       {u"a", u"b", u"c"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const NameList united = NameList::UnionOf(row.lists);
    EXPECT_EQ(united.state(), row.state);
    EXPECT_EQ(united.names(), row.names);
  }
}

TEST(NameListTest, UnionWithACaseInsensitiveListIgnoresCase) {
  NameList exact = List(NameListState::kListed, {u"td"}, true);
  exact.Unite(List(NameListState::kListed, {u"TH"}));
  EXPECT_FALSE(exact.exact_case());
  EXPECT_TRUE(exact.Matches(u"TD"));
  EXPECT_TRUE(exact.Matches(u"th"));
}

}  // namespace
}  // namespace kpx
