// Every way of applying edits checked against the plain rule, applied literally on a string:
// perform each edit in recording order and move the places of every later edit after it. The
// literal version is quadratic and lives only here, as the reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/ascii_case.h"
#include "base/status.h"
#include "edit_ops.h"
#include "markup/text_edit_apply.h"

namespace {

using kpx::EditKind;
using kpx::TextEdit;
using kpx::TextEditList;
using kpx::testing::Del;
using kpx::testing::EditOp;
using kpx::testing::Ins;
using kpx::testing::Low;
using kpx::testing::MakeList;
using kpx::testing::Mov;
using kpx::testing::Narrow;

// An offset an edit still has to read, with its tie rule.
struct RefMark {
  std::int64_t offset;
  bool behind_inserts;  // goes behind text inserted at its offset
};

// After text of length was inserted at at, moves every mark as the rule says.
void ReferenceInserted(std::vector<RefMark>& marks, std::int64_t at, std::int64_t length) {
  for (RefMark& m : marks) {
    if (m.offset > at || (m.offset == at && m.behind_inserts)) m.offset += length;
  }
}

// After [start, end) was taken out: marks inside it go to start, those after it move back.
void ReferenceRemoved(std::vector<RefMark>& marks, std::int64_t start, std::int64_t end) {
  for (RefMark& m : marks) {
    if (m.offset >= end) {
      m.offset -= end - start;
    } else if (m.offset > start) {
      m.offset = start;
    }
  }
}

// The literal algorithm on a real string; nothing when an edit falls outside the text.
// Edits that change nothing (empty insert, zero count) are passed over.
std::optional<std::u16string> ReferenceApply(std::u16string text, kpx::RecordedEdits source) {
  std::vector<TextEdit> edits(source.begin(), source.end());
  // Each edit's marks: start, end (delete, lower-case, move) and destination (move).
  std::vector<RefMark> marks;
  std::vector<std::size_t> first(edits.size());
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const TextEdit& e = edits[i];
    first[i] = marks.size();
    const auto at = static_cast<std::int64_t>(e.position);
    const auto end = static_cast<std::int64_t>(e.position + e.count);
    switch (e.kind) {
      case EditKind::kInsert:
        marks.push_back({at, e.after});
        break;
      case EditKind::kDelete:
      case EditKind::kLowerCase:
        marks.push_back({at, true});
        marks.push_back({end, false});
        break;
      case EditKind::kMove:
        marks.push_back({at, false});
        marks.push_back({end, false});
        marks.push_back({static_cast<std::int64_t>(e.destination), e.after});
        break;
    }
  }
  auto inside = [&text](std::int64_t at) {
    return at >= 0 && at <= static_cast<std::int64_t>(text.size());
  };
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const TextEdit& e = edits[i];
    const bool no_op = e.kind == EditKind::kInsert ? e.text.View().empty() : e.count == 0;
    if (no_op) continue;
    const std::int64_t start = marks[first[i]].offset;
    const std::int64_t end = e.kind == EditKind::kInsert ? start : marks[first[i] + 1].offset;
    if (!inside(start) || !inside(end)) return std::nullopt;
    const auto at = static_cast<std::size_t>(start);
    const auto count = static_cast<std::size_t>(std::max<std::int64_t>(end - start, 0));
    switch (e.kind) {
      case EditKind::kInsert:
        text.insert(at, e.text.View());
        ReferenceInserted(marks, start, static_cast<std::int64_t>(e.text.Length()));
        break;
      case EditKind::kDelete:
        text.erase(at, count);
        if (count) ReferenceRemoved(marks, start, end);
        break;
      case EditKind::kLowerCase:
        for (std::size_t k = 0; k < count; ++k) text[at + k] = kpx::AsciiToLower(text[at + k]);
        break;
      case EditKind::kMove: {
        std::int64_t to = marks[first[i] + 2].offset;
        if (!inside(to)) return std::nullopt;
        if (count == 0) break;
        const std::u16string taken = text.substr(at, count);
        text.erase(at, count);
        ReferenceRemoved(marks, start, end);
        if (to >= end) {
          to -= end - start;
        } else if (to > start) {
          to = start;
        }
        text.insert(static_cast<std::size_t>(to), taken);
        ReferenceInserted(marks, to, end - start);
        break;
      }
    }
  }
  return text;
}

std::optional<std::u16string> ReplayOrNothing(std::u16string_view text, kpx::RecordedEdits edits) {
  try {
    return kpx::ReplayEdits(text, edits);
  } catch (const kpx::ConverterError&) {
    return std::nullopt;
  }
}

// Random edit lists over short texts, so that positions collide often.
class EditListGenerator {
 public:
  explicit EditListGenerator(std::uint32_t seed) : random_(seed) {}

  std::u16string Text() {
    std::u16string text;
    const std::size_t length = Below(24);
    for (std::size_t i = 0; i < length; ++i) text += kAlphabet[Below(kAlphabet.size())];
    return text;
  }

  std::u16string InsertText() {
    std::u16string text;
    const std::size_t length = 1 + Below(3);
    for (std::size_t i = 0; i < length; ++i) text += kAlphabet[Below(kAlphabet.size())];
    return text;
  }

  // Anything at all, moves and overlaps included.
  std::vector<EditOp> AnyEdits(std::size_t length) {
    std::vector<EditOp> ops;
    const std::size_t count = Below(12);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = Below(length + 1);
      const std::size_t span = Below(length - at + 1);
      switch (Below(7)) {
        case 0:
        case 1:
        case 2:
          ops.push_back(Ins(at, InsertText(), Below(2) == 0));
          break;
        case 3:
        case 4:
          ops.push_back(Del(at, span));
          break;
        case 5:
          ops.push_back(Low(at, span));
          break;
        default:
          ops.push_back(Mov(at, span, Below(length + 1), Below(2) == 0));
          break;
      }
    }
    return ops;
  }

  // Lists as a forward scan records them: edits walking forward through the text with ties and
  // touching ends, kinds and flags at random, and now and then a short run recorded back behind
  // (a tag's held repairs). Overlaps and out-of-order points come up too, by chance.
  std::vector<EditOp> ForwardEdits(std::size_t length) {
    std::vector<EditOp> ops;
    std::size_t at = 0;
    const std::size_t count = Below(14);
    for (std::size_t i = 0; i < count; ++i) {
      if (Below(6) == 0) at = Below(at + 1);  // back behind
      const std::size_t span = Below(std::min<std::size_t>(3, length - at) + 1);
      switch (Below(5)) {
        case 0:
        case 1:
          ops.push_back(Ins(at, InsertText(), Below(4) != 0));
          break;
        case 2:
        case 3:
          ops.push_back(Del(at, span));
          at += Below(2) == 0 ? span : 0;
          break;
        default:
          ops.push_back(Low(at, span));
          at += Below(2) == 0 ? span : 0;
          break;
      }
      if (Below(3) == 0) at = std::min(length, at + Below(3));
    }
    return ops;
  }

  // Lists that one pass must take: disjoint (possibly touching) deletes, inserts anywhere but
  // strictly inside a delete, ties at delete edges, and lower-cases recorded before the deletes
  // they share characters with and before the inserts inside them.
  std::vector<EditOp> WellFormedEdits(std::size_t length) {
    std::vector<EditOp> deletes;
    std::vector<std::size_t> points = {0, length};
    for (std::size_t at = Below(3); at < length; at += Below(4)) {
      if (Below(2) == 0) {
        const std::size_t count = 1 + Below(std::min<std::size_t>(4, length - at));
        deletes.push_back(Del(at, count));
        points.push_back(at);
        points.push_back(at + count);
        at += count;
      }
    }
    auto strictly_inside_delete = [&deletes](std::size_t at) {
      return std::any_of(deletes.begin(), deletes.end(), [at](const EditOp& d) {
        return d.position < at && at < d.position + d.count;
      });
    };
    std::vector<EditOp> ops = deletes;
    const std::size_t inserts = Below(10);
    for (std::size_t i = 0; i < inserts; ++i) {
      std::size_t at = Below(3) == 0 ? Below(length + 1) : points[Below(points.size())];
      if (strictly_inside_delete(at)) at = points[Below(points.size())];
      ops.push_back(Ins(at, InsertText(), Below(2) == 0));
    }
    std::shuffle(ops.begin(), ops.end(), random_);
    const std::size_t lowers = Below(4);
    for (std::size_t i = 0; i < lowers; ++i) {
      const std::size_t at = Below(length + 1);
      const EditOp lower = Low(at, Below(length - at + 1));
      // Recorded before anything it must precede: simply first, or at a random place when
      // nothing earlier conflicts with it.
      const std::size_t place = Below(ops.size() + 1);
      bool conflict = false;
      for (std::size_t k = 0; k < place; ++k) {
        const EditOp& e = ops[k];
        const std::size_t end = lower.position + lower.count;
        if (e.kind == EditKind::kDelete && e.position < end &&
            lower.position < e.position + e.count)
          conflict = true;
        if (e.kind == EditKind::kInsert && lower.position < e.position && e.position < end)
          conflict = true;
      }
      ops.insert(ops.begin() + static_cast<std::ptrdiff_t>(conflict ? 0 : place), lower);
    }
    return ops;
  }

 private:
  static constexpr std::u16string_view kAlphabet = u"AbC<>\"&x";

  std::size_t Below(std::size_t bound) {
    if (bound == 0) return 0;
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_);
  }

  std::mt19937 random_;
};

std::string Describe(std::u16string_view text, kpx::RecordedEdits edits) {
  std::string out = "text \"" + Narrow(text) + "\":";
  for (const TextEdit& e : edits) {
    out += ' ';
    switch (e.kind) {
      case EditKind::kInsert:
        out += "Ins(" + std::to_string(e.position) + ",\"" + Narrow(e.text.View()) + "\"," +
               (e.after ? "after" : "front") + ")";
        break;
      case EditKind::kDelete:
        out += "Del(" + std::to_string(e.position) + "," + std::to_string(e.count) + ")";
        break;
      case EditKind::kLowerCase:
        out += "Low(" + std::to_string(e.position) + "," + std::to_string(e.count) + ")";
        break;
      case EditKind::kMove:
        out += "Mov(" + std::to_string(e.position) + "," + std::to_string(e.count) + "," +
               std::to_string(e.destination) + "," + (e.after ? "after" : "front") + ")";
        break;
    }
  }
  return out;
}

TEST(TextEditApplyTest, OnePassMatchesTheLiteralRuleOnWellFormedLists) {
  EditListGenerator generate(20240601);
  for (int round = 0; round < 20000; ++round) {
    const std::u16string text = generate.Text();
    const TextEditList list = MakeList(text, generate.WellFormedEdits(text.size()));
    SCOPED_TRACE(Describe(text, list.Edits()));
    const std::optional<std::u16string> expected = ReferenceApply(text, list.Edits());
    ASSERT_TRUE(expected.has_value());
    const std::optional<std::u16string> one_pass = kpx::ApplyEditsInOnePass(text, list.Edits());
    ASSERT_TRUE(one_pass.has_value()) << "one pass refused a well-formed list";
    ASSERT_EQ(Narrow(*one_pass), Narrow(*expected));
  }
}

TEST(TextEditApplyTest, BothWaysMatchTheLiteralRuleOnAnyList) {
  EditListGenerator generate(7);
  int one_pass_taken = 0;
  int replayed = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::u16string text = generate.Text();
    const TextEditList list = MakeList(text, generate.AnyEdits(text.size()));
    SCOPED_TRACE(Describe(text, list.Edits()));
    const std::optional<std::u16string> expected = ReferenceApply(text, list.Edits());
    const std::optional<std::u16string> replay = ReplayOrNothing(text, list.Edits());
    ASSERT_EQ(replay.has_value(), expected.has_value());
    if (expected) {
      ASSERT_EQ(Narrow(*replay), Narrow(*expected));
      ++replayed;
    }
    // Every original position lies within the text here, so neither fast way throws; when one
    // takes the list, its result must be the literal one.
    const std::optional<std::u16string> walked = kpx::ApplyEditsInPositionOrder(text, list.Edits());
    if (walked) {
      ASSERT_TRUE(expected.has_value());
      ASSERT_EQ(Narrow(*walked), Narrow(*expected));
    }
    const std::optional<std::u16string> one_pass = kpx::ApplyEditsInOnePass(text, list.Edits());
    if (one_pass) {
      ASSERT_TRUE(expected.has_value());
      ASSERT_EQ(Narrow(*one_pass), Narrow(*expected));
      ++one_pass_taken;
    }
  }
  // The generator must exercise both paths substantially.
  EXPECT_GT(one_pass_taken, 2000);
  EXPECT_GT(replayed, 10000);
}

TEST(TextEditApplyTest, PositionOrderMatchesTheLiteralRuleWhereItTakesTheList) {
  EditListGenerator generate(424242);
  int taken = 0;
  int refused = 0;
  kpx::ApplyScratch scratch;  // reused across lists, as a list reuses its own
  for (int round = 0; round < 200000; ++round) {
    const std::u16string text = generate.Text();
    const std::vector<EditOp> ops =
        round % 4 == 3 ? generate.WellFormedEdits(text.size()) : generate.ForwardEdits(text.size());
    const TextEditList list = MakeList(text, ops);
    SCOPED_TRACE(Describe(text, list.Edits()));
    const std::optional<std::u16string> expected = ReferenceApply(text, list.Edits());
    const std::optional<std::u16string> walked =
        kpx::ApplyEditsInPositionOrder(text, list.Edits(), scratch);
    if (walked) {
      // Overlapping lists (which the literal rule may find outside the text) are refused.
      ASSERT_TRUE(expected.has_value());
      ASSERT_EQ(Narrow(*walked), Narrow(*expected));
      ++taken;
    } else {
      ++refused;
    }
  }
  // Both outcomes must come up often, or the comparison proves little.
  EXPECT_GT(taken, 50000);
  EXPECT_GT(refused, 20000);
}

TEST(TextEditApplyTest, PositionOrderTakesUpToEightInterleavedRuns) {
  // Inserts at distinct offsets, dealt to a few ascending runs recorded interleaved: the merge
  // must give them back in position order, or the walk would refuse them.
  std::mt19937 random(8);
  const std::u16string text(300, u'A');
  for (int round = 0; round < 2000; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::size_t> offsets(300);
    for (std::size_t i = 0; i < offsets.size(); ++i) offsets[i] = i;
    std::shuffle(offsets.begin(), offsets.end(), random);
    const std::size_t runs = 1 + random() % kpx::kApplyLanes;
    std::vector<std::vector<std::size_t>> run_offsets(runs);
    for (std::size_t i = 0; i < 40; ++i) run_offsets[i % runs].push_back(offsets[i]);
    for (auto& run : run_offsets) std::sort(run.begin(), run.end());
    std::vector<std::size_t> next(runs, 0);
    std::vector<EditOp> ops;
    while (ops.size() < 40) {
      const std::size_t run = random() % runs;
      if (next[run] < run_offsets[run].size()) {
        ops.push_back(Ins(run_offsets[run][next[run]++], u"x"));
      }
    }
    const TextEditList list = MakeList(text, ops);
    const std::optional<std::u16string> walked = kpx::ApplyEditsInPositionOrder(text, list.Edits());
    ASSERT_TRUE(walked.has_value());
    ASSERT_EQ(Narrow(*walked), Narrow(*ReferenceApply(text, list.Edits())));
  }
}

TEST(TextEditApplyTest, PositionOrderTakesForwardListsAndRefusesAmbiguousPoints) {
  struct Row {
    const char* name;
    std::vector<EditOp> edits;
    bool taken;
  };
  const Row rows[] = {
      {"ascending edits", {Low(0, 1), Ins(2, u"x"), Del(3, 1), Ins(6, u"y")}, true},
      {"a run recorded back behind", {Ins(4, u"x"), Ins(5, u"y"), Low(0, 2), Del(2, 1)}, true},
      {"inserts at one point, each behind", {Ins(2, u"x"), Ins(2, u"y", true)}, true},
      {"a later insert in front", {Ins(2, u"x"), Ins(2, u"y", false)}, false},
      {"a replacement", {Del(1, 2), Ins(1, u"x")}, true},
      {"replacements side by side",
       {Del(1, 1), Ins(1, u"x", true), Del(2, 1), Ins(2, u"y", true), Del(3, 1),
        Ins(3, u"z", true)},
       true},
      {"an insert in front at a later delete's start",
       {Del(1, 1), Ins(1, u"x"), Del(2, 1), Ins(2, u"y", false)},
       false},
      {"inserts on both ends of a delete", {Ins(1, u"x"), Del(1, 2), Ins(3, u"y", true)}, true},
      {"a joined point out of recording order",
       {Ins(3, u"x"), Del(1, 2), Ins(1, u"y", true)},
       false},
      {"an insert strictly inside a delete", {Del(1, 3), Ins(2, u"x")}, false},
      {"an insert at a lower-case's start after it", {Low(1, 2), Ins(1, u"x")}, false},
      {"an insert at a lower-case's end", {Low(1, 2), Ins(3, u"x")}, true},
      {"more runs back behind than lanes",
       {Ins(8, u"a"), Ins(7, u"b"), Ins(6, u"c"), Ins(5, u"d"), Ins(4, u"e"), Ins(3, u"f"),
        Ins(2, u"g"), Ins(1, u"h"), Ins(0, u"i")},
       false},
      {"as many runs back behind as lanes",
       {Ins(7, u"b"), Ins(6, u"c"), Ins(5, u"d"), Ins(4, u"e"), Ins(3, u"f"), Ins(2, u"g"),
        Ins(1, u"h"), Ins(0, u"i")},
       true},
      {"a move", {Ins(1, u"x"), Mov(0, 1, 3)}, false},
  };
  const std::u16string text = u"ABCDEFGHIJ";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const TextEditList list = MakeList(text, row.edits);
    const std::optional<std::u16string> walked = kpx::ApplyEditsInPositionOrder(text, list.Edits());
    EXPECT_EQ(walked.has_value(), row.taken);
    if (walked) {
      EXPECT_EQ(Narrow(*walked), Narrow(*ReferenceApply(text, list.Edits())));
    }
  }
}

TEST(TextEditApplyTest, OnePassLeavesMovesAndOverlapsToTheReplay) {
  struct Row {
    const char* name;
    std::vector<EditOp> edits;
    bool one_pass;
  };
  const Row rows[] = {
      {"a move", {Mov(0, 1, 3)}, false},
      {"insert strictly inside a delete", {Ins(2, u"x"), Del(1, 3)}, false},
      {"insert strictly inside an earlier delete", {Del(1, 2), Ins(2, u"x")}, false},
      {"deletes sharing a character", {Del(1, 3), Del(3, 2)}, false},
      {"lower-case after a delete it shares with", {Del(1, 3), Low(3, 2)}, false},
      {"lower-case after an insert strictly inside it", {Ins(2, u"X"), Low(1, 3)}, false},
      {"lower-case before both", {Low(0, 6), Del(1, 3), Ins(5, u"x")}, true},
      {"inserts on delete edges", {Del(1, 3), Ins(1, u"x"), Ins(4, u"y")}, true},
      {"touching deletes", {Del(1, 2), Del(3, 2)}, true},
      {"lower-case after an insert on its edge", {Ins(1, u"X"), Low(1, 3), Ins(4, u"Y")}, true},
      {"overlapping lower-cases", {Low(0, 3), Low(2, 3)}, true},
      {"a zero-count move is nothing", {Mov(0, 0, 3), Ins(2, u"x")}, true},
  };
  const std::u16string text = u"ABCDEF";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const TextEditList list = MakeList(text, row.edits);
    const std::optional<std::u16string> one_pass = kpx::ApplyEditsInOnePass(text, list.Edits());
    EXPECT_EQ(one_pass.has_value(), row.one_pass);
    const std::optional<std::u16string> expected = ReferenceApply(text, list.Edits());
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(Narrow(kpx::ReplayEdits(text, list.Edits())), Narrow(*expected));
    if (one_pass) {
      EXPECT_EQ(Narrow(*one_pass), Narrow(*expected));
    }
  }
}

TEST(TextEditApplyTest, LargeListsOfTiesMatchTheReplay) {
  // Many inserts at few offsets around deletes: the union-find paths get long.
  EditListGenerator generate(99);
  std::u16string text(400, u'A');
  std::vector<EditOp> ops;
  std::mt19937 random(5);
  for (std::size_t at = 0; at < 400; at += 40) ops.push_back(Del(at + 10, 20));
  for (int i = 0; i < 3000; ++i) {
    const std::size_t block = random() % 10;
    const std::size_t offsets[] = {block * 40 + 10, block * 40 + 30, block * 40};
    ops.push_back(Ins(offsets[random() % 3], generate.InsertText(), random() % 2 == 0));
    if (i % 500 == 0) ops.push_back(Low(block * 40, 5));
  }
  const TextEditList list = MakeList(text, ops);
  const std::optional<std::u16string> one_pass = kpx::ApplyEditsInOnePass(text, list.Edits());
  ASSERT_TRUE(one_pass.has_value());
  EXPECT_EQ(Narrow(*one_pass), Narrow(kpx::ReplayEdits(text, list.Edits())));
}

TEST(TextEditApplyTest, ListsRecordedInSortedRunsMatchTheLiteralRule) {
  // A scanner going forward records edits in a few ascending runs (a tag's repairs, then an
  // insert back at its start, and so on); ties between runs must keep recording order. One list
  // is applied round after round, so its kept working memory is reused at every size.
  std::mt19937 random(31);
  TextEditList list;
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    const std::size_t length = 20 + random() % 300;
    const std::u16string text(length, u'A');
    // Disjoint deletes first; inserts then avoid their insides.
    std::vector<EditOp> ops;
    std::vector<bool> inside(length + 1, false);
    for (std::size_t at = random() % 7; at + 4 < length; at += 5 + random() % 40) {
      const std::size_t count = 1 + random() % 4;
      ops.push_back(Del(at, count));
      for (std::size_t p = at + 1; p < at + count; ++p) inside[p] = true;
    }
    const std::size_t runs = 1 + random() % 6;
    for (std::size_t run = 0; run < runs; ++run) {
      std::size_t at = random() % (length / 2);
      const std::size_t steps = random() % 60;
      for (std::size_t step = 0; step < steps && at <= length; ++step) {
        if (!inside[at]) {
          ops.push_back(
              Ins(at, std::u16string(1, static_cast<char16_t>(u'a' + run)), random() % 2 == 0));
        }
        at += random() % 3 == 0 ? 0 : random() % 8;  // ties within a run too
      }
    }
    list.Assign(text);
    for (const EditOp& op : ops) kpx::testing::Record(list, op);
    const std::optional<std::u16string> expected = ReferenceApply(text, list.Edits());
    ASSERT_TRUE(expected.has_value());
    ASSERT_TRUE(kpx::ApplyEditsInOnePass(text, list.Edits()).has_value());
    list.Apply();
    ASSERT_EQ(Narrow(list.Text()), Narrow(*expected));
  }
}

TEST(TextEditApplyTest, AListAppliedAgainGivesTheLiteralResultEachTime) {
  // Both ways, one list: whatever an earlier apply left in its working memory must not leak
  // into the next result, whichever way each apply takes.
  EditListGenerator generate(11);
  TextEditList list;
  for (int round = 0; round < 3000; ++round) {
    const std::u16string text = generate.Text();
    const std::vector<EditOp> ops =
        round % 2 == 0 ? generate.WellFormedEdits(text.size()) : generate.AnyEdits(text.size());
    list.Assign(text);
    for (const EditOp& op : ops) kpx::testing::Record(list, op);
    SCOPED_TRACE(Describe(text, list.Edits()));
    const std::optional<std::u16string> expected = ReferenceApply(text, list.Edits());
    try {
      list.Apply();
      ASSERT_TRUE(expected.has_value());
      ASSERT_EQ(Narrow(list.Text()), Narrow(*expected));
    } catch (const kpx::ConverterError&) {
      ASSERT_FALSE(expected.has_value());
      ASSERT_EQ(list.Text(), text);
    }
  }
}

}  // namespace
