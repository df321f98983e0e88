// TextEditList: recording, withdrawing and erasing edits, net change, and the results of apply.
#include "markup/text_edit_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/status.h"
#include "edit_ops.h"

namespace {

using kpx::EdgeInserts;
using kpx::EditKind;
using kpx::TextEditList;
using kpx::testing::Del;
using kpx::testing::EditOp;
using kpx::testing::Ins;
using kpx::testing::Low;
using kpx::testing::MakeList;
using kpx::testing::Mov;
using kpx::testing::Narrow;

struct ApplyRow {
  const char* name;
  std::u16string_view text;
  std::vector<EditOp> edits;
  std::u16string_view expected;
};

TEST(TextEditListTest, ApplyResults) {
  const ApplyRow rows[] = {
      {"no edits", u"page", {}, u"page"},
      {"second insert with after comes behind", u"ab", {Ins(1, u"X"), Ins(1, u"Y", true)}, u"aXYb"},
      {"second insert without after comes in front",
       u"ab",
       {Ins(1, u"X"), Ins(1, u"Y", false)},
       u"aYXb"},
      {"three inserts mixing the flags",
       u"ab",
       {Ins(1, u"1"), Ins(1, u"2", true), Ins(1, u"3", false), Ins(1, u"4", true)},
       u"a3124b"},
      {"insert at an earlier delete lands in its place",
       u"abcd",
       {Del(1, 2), Ins(1, u"X")},
       u"aXd"},
      {"insert before a delete at the same spot stays in front",
       u"abcd",
       {Ins(1, u"X"), Del(1, 2)},
       u"aXd"},
      {"insert at the end of an earlier delete", u"abcd", {Del(1, 2), Ins(3, u"X")}, u"aXd"},
      {"touching deletes", u"abcdef", {Del(3, 2), Del(1, 2)}, u"af"},
      {"delete everything then insert", u"abc", {Del(0, 3), Ins(3, u"Z", true)}, u"Z"},
      {"inserts brought together by a delete order by the after flag",
       u"abcXY",
       {Del(0, 3), Ins(0, u"1"), Ins(3, u"2")},
       u"21XY"},
      {"same, with after set", u"abcXY", {Del(0, 3), Ins(0, u"1"), Ins(3, u"2", true)}, u"12XY"},
      {"insert at the end of the text", u"ab", {Ins(2, u"!")}, u"ab!"},
      {"inserts into an empty text", u"", {Ins(0, u"b"), Ins(0, u"a"), Ins(0, u"c", true)}, u"abc"},
      {"quote repair around an escaped value",
       u"x=<b>",
       {Ins(2, u"\"", true), Ins(5, u"\"", true), Del(2, 1), Ins(2, u"&lt;", true), Del(4, 1),
        Ins(4, u"&gt;", true)},
       u"x=\"&lt;b&gt;\""},
      {"lower-case", u"<TD CLASS=A>", {Low(1, 2), Low(4, 5)}, u"<td class=A>"},
      {"lower-case leaves inserted text alone", u"AB", {Ins(1, u"XY"), Low(1, 1)}, u"AXYb"},
      {"lower-case after an insert inside it is not recorded text",
       u"ABC",
       {Low(0, 3), Ins(1, u"XY", true)},
       u"aXYbc"},
      {"lower-case folds ASCII only", u"\u00C0B", {Low(0, 2)}, u"\u00C0b"},
      {"lower-case then a delete over it", u"ABCD", {Low(1, 2), Del(2, 2)}, u"Ab"},
      {"empty insert and zero counts change nothing",
       u"ab",
       {Ins(1, u""), Del(1, 0), Low(0, 0), Mov(0, 0, 2)},
       u"ab"},
      {"move forward", u"abcdef", {Mov(0, 2, 4)}, u"cdabef"},
      {"move backward", u"abcdef", {Mov(4, 2, 0)}, u"efabcd"},
      {"move to the end", u"abcdef", {Mov(1, 1, 6)}, u"acdefb"},
      {"move behind an insert at its destination",
       u"abcdef",
       {Ins(4, u"X"), Mov(0, 1, 4, true)},
       u"bcdXaef"},
      {"move in front of an insert at its destination",
       u"abcdef",
       {Ins(4, u"X"), Mov(0, 1, 4, false)},
       u"bcdaXef"},
      {"edits after a move keep their places",
       u"abcdef",
       {Mov(0, 2, 4), Ins(5, u"X"), Del(2, 1)},
       u"dabeXf"},
      {"an insert inside deleted text lands where the text was",
       u"abcdefgh",
       {Del(1, 2), Ins(2, u"X")},
       u"aXdefgh"},
  };
  for (const ApplyRow& row : rows) {
    SCOPED_TRACE(row.name);
    TextEditList list = MakeList(row.text, row.edits);
    const std::ptrdiff_t change = list.NetChange();
    list.Apply();
    EXPECT_EQ(Narrow(list.Text()), Narrow(row.expected));
    EXPECT_EQ(static_cast<std::ptrdiff_t>(list.Text().size()),
              static_cast<std::ptrdiff_t>(row.text.size()) + change);
    EXPECT_EQ(list.EditCount(), row.edits.size());  // apply keeps the edits
    TextEditList reusing = MakeList(row.text, row.edits);
    reusing.ApplyReusingText();
    EXPECT_EQ(Narrow(reusing.Text()), Narrow(row.expected));
  }
}

struct BadRow {
  const char* name;
  std::vector<EditOp> edits;
};

TEST(TextEditListTest, ApplyReusingTextWritesIntoTheRoomOfTheTextItReplaced) {
  TextEditList list{std::u16string(4096, u'a')};
  const std::u16string_view marks = u"xyz";
  const char16_t* first_result = nullptr;
  for (std::size_t round = 0; round < marks.size(); ++round) {
    // One character replaced: every result has the page's length.
    list.ClearEdits();
    list.Delete(round, 1);
    list.Insert(round, marks.substr(round, 1), true);
    list.ApplyReusingText();
    ASSERT_EQ(Narrow(list.Text().substr(0, round + 1)), Narrow(marks.substr(0, round + 1)));
    if (round == 0) first_result = list.Text().data();
  }
  // The third result lies where the first did; the text it replaced is kept for the next.
  EXPECT_EQ(list.Text().data(), first_result);
  EXPECT_GE(list.HeldBytes(), 2 * 4096 * sizeof(char16_t));
  list.ReleaseBuffers();
  EXPECT_EQ(list.HeldBytes(), 0u);
}

TEST(TextEditListTest, EditsOutsideTheTextAreRefused) {
  const BadRow rows[] = {
      {"insert past the end", {Ins(4, u"x")}},
      {"delete past the end", {Del(2, 2)}},
      {"lower-case past the end", {Low(0, 4)}},
      {"move source past the end", {Mov(1, 3, 0)}},
      {"move destination past the end", {Mov(0, 1, 9)}},
      {"huge count", {Del(1, static_cast<std::size_t>(-1))}},
  };
  for (const BadRow& row : rows) {
    SCOPED_TRACE(row.name);
    TextEditList list = MakeList(u"abc", row.edits);
    try {
      list.Apply();
      ADD_FAILURE() << "applied: " << Narrow(list.Text());
    } catch (const kpx::ConverterError& e) {
      EXPECT_EQ(e.code(), E_INVALIDARG);
    }
    EXPECT_EQ(list.Text(), u"abc");  // nothing lost
  }
}

TEST(TextEditListTest, HugeOverlappingListsAreApplied) {
  TextEditList list{std::u16string(10, u'a')};
  list.Delete(2, 3);
  list.Delete(1, 2);  // shares a character with the first: needs the edit-by-edit replay
  for (std::size_t i = 0; i < 100000; ++i) list.Insert(9, u"x", true);
  list.Apply();
  // The second delete takes what is left of its range: one character.
  EXPECT_EQ(list.Text(), u"aaaaa" + std::u16string(100000, u'x') + u"a");
}

TEST(TextEditListTest, WithdrawTakesTheLastEdits) {
  TextEditList list{u"abc"};
  list.Insert(0, u"x", false);
  list.Delete(1, 1);
  list.Withdraw(3);  // more than there are
  EXPECT_EQ(list.EditCount(), 0u);
  list.Insert(0, u"x", false);
  list.Insert(1, u"y", false);
  list.LowerCase(0, 1);
  list.Withdraw(2);
  ASSERT_EQ(list.EditCount(), 1u);
  EXPECT_EQ(list.Edits()[0].text.View(), u"x");
  list.Withdraw(0);
  EXPECT_EQ(list.EditCount(), 1u);
}

TEST(TextEditListTest, SequenceNumbersOnlyGrow) {
  TextEditList list{u"abc"};
  list.Insert(0, u"x", false);
  list.Insert(0, u"y", false);
  list.Withdraw(2);
  list.Assign(u"other");
  list.Delete(0, 1);
  ASSERT_EQ(list.EditCount(), 1u);
  EXPECT_EQ(list.Edits()[0].sequence, 2u);
}

TEST(TextEditListTest, NetChangeCountsInsertsAndDeletesOnly) {
  TextEditList list = MakeList(
      u"abcdef", {Ins(0, u"xyz"), Del(1, 2), Mov(3, 2, 0), Low(0, 6), Del(5, 1), Ins(6, u"")});
  EXPECT_EQ(list.NetChange(), 3 - 2 - 1);
}

struct EraseRow {
  const char* name;
  std::vector<EditOp> edits;
  std::size_t start;
  std::size_t end;
  EdgeInserts edges;
  std::vector<std::size_t> remaining;  // recording indices of the edits left
};

TEST(TextEditListTest, EraseEditsInsideARange) {
  // Text positions 0..20; the range is usually [5, 10).
  const EraseRow rows[] = {
      {"edits inside go, outside stay",
       {Ins(2, u"a"), Ins(7, u"b"), Del(6, 2), Low(9, 3), Del(5, 5), Ins(12, u"c")},
       5,
       10,
       EdgeInserts::kKeep,
       {0, 3, 5}},
      {"inserts on the edges stay by default",
       {Ins(5, u"a"), Ins(10, u"b"), Ins(6, u"c")},
       5,
       10,
       EdgeInserts::kKeep,
       {0, 1}},
      {"inserts on the start edge can go",
       {Ins(5, u"a"), Ins(10, u"b")},
       5,
       10,
       EdgeInserts::kAtStart,
       {1}},
      {"inserts on the end edge can go",
       {Ins(5, u"a"), Ins(10, u"b")},
       5,
       10,
       EdgeInserts::kAtEnd,
       {0}},
      {"both edges", {Ins(5, u"a"), Ins(10, u"b"), Ins(11, u"c")}, 5, 10, EdgeInserts::kBoth, {2}},
      {"a delete reaching out of the range stays",
       {Del(4, 2), Del(9, 2), Del(5, 5)},
       5,
       10,
       EdgeInserts::kKeep,
       {0, 1}},
      {"a move goes by its source", {Mov(6, 2, 15), Mov(1, 2, 7)}, 5, 10, EdgeInserts::kKeep, {1}},
      {"late edits before the range stay",
       {Ins(7, u"a"), Del(0, 2), Ins(1, u"b")},
       5,
       10,
       EdgeInserts::kKeep,
       {1, 2}},
      {"empty range takes edge inserts only when asked",
       {Ins(5, u"a"), Del(5, 0)},
       5,
       5,
       EdgeInserts::kBoth,
       {}},
      {"reversed range does nothing", {Ins(7, u"a")}, 10, 5, EdgeInserts::kBoth, {0}},
  };
  for (const EraseRow& row : rows) {
    SCOPED_TRACE(row.name);
    TextEditList list = MakeList(std::u16string(20, u'.'), row.edits);
    const std::size_t removed = list.EraseEditsInside(row.start, row.end, row.edges);
    EXPECT_EQ(removed, row.edits.size() - row.remaining.size());
    std::vector<std::size_t> left;
    for (const kpx::TextEdit& edit : list.Edits()) left.push_back(edit.sequence);
    EXPECT_EQ(left, row.remaining);
    // The list still works after erasing: a second erase of everything empties it.
    list.EraseEditsInside(0, 20, EdgeInserts::kBoth);
    EXPECT_EQ(list.EditCount(), 0u);
  }
}

TEST(TextEditListTest, EraseAfterManyEditsFindsOnlyTheRange) {
  // Edits recorded while scanning forward; erasing a recent range must not touch older ones.
  TextEditList list{std::u16string(5000, u'.')};
  for (std::size_t p = 0; p < 5000; p += 10) {
    list.Insert(p + 1, u"\"", true);
    list.Insert(p + 4, u"\"", true);
  }
  EXPECT_EQ(list.EraseEditsInside(4000, 4100), 20u);
  EXPECT_EQ(list.EditCount(), 1000u - 20u);
  // Recording goes on normally and a later erase sees the new edits.
  list.Delete(4050, 3);
  EXPECT_EQ(list.EraseEditsInside(4000, 4100), 1u);
  const std::ptrdiff_t change = list.NetChange();
  list.Apply();
  EXPECT_EQ(static_cast<std::ptrdiff_t>(list.Text().size()), 5000 + change);
}

TEST(TextEditListTest, EraseEditsByIndex) {
  TextEditList list = MakeList(u"abcdef", {Ins(0, u"0"), Ins(1, u"1"), Ins(2, u"2"), Ins(3, u"3")});
  list.EraseEdits(1, 2);
  ASSERT_EQ(list.EditCount(), 2u);
  EXPECT_EQ(list.Edits()[0].text.View(), u"0");
  EXPECT_EQ(list.Edits()[1].text.View(), u"3");
  list.EraseEdits(1, 99);  // clamped
  EXPECT_EQ(list.EditCount(), 1u);
  list.EraseEdits(5, 1);  // past the end: nothing
  EXPECT_EQ(list.EditCount(), 1u);
  list.Apply();
  EXPECT_EQ(list.Text(), u"0abcdef");
}

struct PoolRow {
  const char* name;
  std::function<void(TextEditList&)> steps;
  std::vector<std::u16string_view> texts;  // of the inserts left, in recording order
  std::u16string_view applied;             // the text "abcdefgh" after apply
};

TEST(TextEditListTest, InsertTextsFollowTheirEditsThroughRemovals) {
  const PoolRow rows[] = {
      {"withdraw then record",
       [](TextEditList& l) {
         l.Insert(1, u"one", true);
         l.Insert(2, u"two", true);
         l.Delete(3, 1);
         l.Withdraw(2);
         l.Insert(4, u"4", true);
       },
       {u"one", u"4"},
       u"aonebcd4efgh"},
      {"withdraw of deletes only keeps every text",
       [](TextEditList& l) {
         l.Insert(1, u"x", true);
         l.Delete(2, 1);
         l.LowerCase(0, 1);
         l.Withdraw(2);
         l.Insert(1, u"y", true);
       },
       {u"x", u"y"},
       u"axybcdefgh"},
      {"erase by index in the middle, then withdraw and record",
       [](TextEditList& l) {
         l.Insert(0, u"0", true);
         l.Insert(1, u"11", true);
         l.Insert(2, u"222", true);
         l.Insert(3, u"3333", true);
         l.EraseEdits(1, 2);
         l.Withdraw(1);
         l.Insert(5, u"5", true);
       },
       {u"0", u"5"},
       u"0abcde5fgh"},
      {"erase inside a range closes the gap",
       [](TextEditList& l) {
         l.Insert(1, u"keep", true);
         l.Insert(3, u"gone", true);
         l.Delete(3, 2);
         l.Insert(4, u"gone too", true);
         l.Insert(7, u"late", true);
         l.EraseEditsInside(2, 6);
         l.Insert(8, u"end", true);
       },
       {u"keep", u"late", u"end"},
       u"akeepbcdefglatehend"},
      {"erase inside, then withdraw past the erased place",
       [](TextEditList& l) {
         l.Insert(1, u"A", true);
         l.Insert(3, u"B", true);
         l.Insert(6, u"C", true);
         l.EraseEditsInside(2, 4);
         l.Withdraw(1);
         l.Insert(6, u"D", true);
       },
       {u"A", u"D"},
       u"aAbcdefDgh"},
      {"clear, then record",
       [](TextEditList& l) {
         l.Insert(1, u"old", true);
         l.ClearEdits();
         l.Insert(2, u"new", true);
       },
       {u"new"},
       u"abnewcdefgh"},
  };
  for (const PoolRow& row : rows) {
    SCOPED_TRACE(row.name);
    TextEditList list{u"abcdefgh"};
    row.steps(list);
    std::vector<std::u16string> texts;
    for (const kpx::TextEdit& edit : list.Edits()) {
      if (edit.kind == EditKind::kInsert) texts.push_back(edit.text.Str());
    }
    EXPECT_EQ(texts, std::vector<std::u16string>(row.texts.begin(), row.texts.end()));
    const std::ptrdiff_t change = list.NetChange();
    list.Apply();
    EXPECT_EQ(Narrow(list.Text()), Narrow(row.applied));
    EXPECT_EQ(static_cast<std::ptrdiff_t>(list.Text().size()), 8 + change);
  }
}

TEST(TextEditListTest, RepairsRecordedAndDroppedOverAndOverLeaveTheKeptEditIntact) {
  // A caller records a tag's repairs and withdraws or erases them again, tag after tag.
  TextEditList list{u"abcdefgh"};
  list.Insert(1, u"kept", true);
  for (int i = 0; i < 10000; ++i) {
    list.Insert(2, u"a longer text than the inline storage of a string", true);
    list.Delete(3, 1);
    list.Withdraw(2);
  }
  ASSERT_EQ(list.EditCount(), 1u);
  EXPECT_EQ(list.Edits()[0].text.View(), u"kept");
  EXPECT_EQ(list.Edits()[0].sequence, 0u);
  for (int i = 0; i < 10000; ++i) {
    list.Insert(5, u"another text longer than the inline storage, dropped", true);
    list.EraseEditsInside(4, 6);
  }
  ASSERT_EQ(list.EditCount(), 1u);
  EXPECT_EQ(list.NetChange(), 4);
  list.Apply();
  EXPECT_EQ(list.Text(), u"akeptbcdefgh");
}

TEST(TextEditListTest, RecordedEditsReadBackAfterAnyMixOfRemovals) {
  // Random recording, withdrawing and erasing, checked edit by edit against a plain vector that
  // follows the documented rules.
  std::mt19937 random(17);
  auto below = [&random](std::size_t bound) { return bound == 0 ? 0 : random() % bound; };
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    TextEditList list{std::u16string(40, u'.')};
    std::vector<EditOp> model;
    for (int step = 0; step < 200; ++step) {
      const std::size_t at = below(41);
      const std::size_t count = below(41 - at);
      switch (below(8)) {
        case 0:
        case 1:
        case 2: {
          const EditOp op =
              Ins(at, std::u16string(below(40), static_cast<char16_t>(u'a' + step % 26)),
                  below(2) == 0);
          kpx::testing::Record(list, op);
          model.push_back(op);
          break;
        }
        case 3:
          kpx::testing::Record(list, Del(at, count));
          model.push_back(Del(at, count));
          break;
        case 4:
          list.Withdraw(below(4));
          model.resize(list.EditCount());
          break;
        case 5: {
          const std::size_t first = below(model.size() + 1);
          const std::size_t erased = below(4);
          list.EraseEdits(first, erased);
          model.erase(
              model.begin() + static_cast<std::ptrdiff_t>(first),
              model.begin() + static_cast<std::ptrdiff_t>(std::min(model.size(), first + erased)));
          break;
        }
        default: {
          const auto edges = static_cast<EdgeInserts>(below(4));
          const bool at_start = edges == EdgeInserts::kAtStart || edges == EdgeInserts::kBoth;
          const bool at_end = edges == EdgeInserts::kAtEnd || edges == EdgeInserts::kBoth;
          const std::size_t end = at + count;
          std::erase_if(model, [&](const EditOp& e) {
            if (e.kind == EditKind::kInsert) {
              return (at < e.position && e.position < end) || (e.position == at && at_start) ||
                     (e.position == end && at_end);
            }
            return at <= e.position && e.position + e.count <= end;
          });
          list.EraseEditsInside(at, end, edges);
          break;
        }
      }
      ASSERT_EQ(list.EditCount(), model.size());
    }
    std::size_t i = 0;
    for (const kpx::TextEdit& edit : list.Edits()) {
      const EditOp& expected = model[i++];
      ASSERT_EQ(edit.kind, expected.kind);
      ASSERT_EQ(edit.position, expected.position);
      ASSERT_EQ(edit.count, expected.count);
      ASSERT_EQ(edit.text.Str(), expected.text);
      ASSERT_EQ(edit.after, expected.after);
    }
  }
}

TEST(TextEditListTest, AssignDropsEditsAndTakeTextHandsOver) {
  TextEditList list{u"abc"};
  list.Insert(0, u"x", false);
  list.Assign(u"new");
  EXPECT_EQ(list.EditCount(), 0u);
  list.Apply();
  EXPECT_EQ(list.TakeText(), u"new");
  EXPECT_TRUE(list.Text().empty());
}

}  // namespace
