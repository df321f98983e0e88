// AttributeList and TagRecord: look-ups with the case rule, the list operations, namespace
// splitting and serialization.
#include "markup/attribute_list.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "edit_ops.h"
#include "markup/attribute_escaping.h"
#include "markup/tag_record.h"

namespace {

using kpx::AttributeList;
using kpx::AttributeRecord;
using kpx::MarkupString;
using kpx::QuoteKind;
using kpx::TagRecord;
using kpx::testing::Narrow;

AttributeRecord Parsed(std::u16string_view name, std::u16string_view value, QuoteKind quote,
                       bool case_flag = false) {
  AttributeRecord record;
  record.name = MarkupString(name, case_flag);
  record.value = MarkupString(value);
  record.name_position = 4;
  record.value_position = 9;
  record.equals_position = 8;
  record.quote_kind = quote;
  record.from_source = true;
  return record;
}

std::string Names(const AttributeList& list) {
  std::string out;
  for (const AttributeRecord& record : list) {
    if (!out.empty()) out += ',';
    out += Narrow(record.name.View());
  }
  return out;
}

struct FindRow {
  const char* name;
  MarkupString stored;
  MarkupString key;
  bool found;
};

TEST(AttributeListTest, FindUsesTheCaseRule) {
  const FindRow rows[] = {
      {"parsed names match in any case", MarkupString(u"class", false), MarkupString(u"CLASS"),
       true},
      {"flagged key, unflagged stored", MarkupString(u"CLASS", false), MarkupString(u"class", true),
       true},
      {"both flagged differ by case", MarkupString(u"CLASS", true), MarkupString(u"class", true),
       false},
      {"both flagged, same case", MarkupString(u"kpsId", true), MarkupString(u"kpsId", true), true},
      {"prefix is not a match", MarkupString(u"class", false), MarkupString(u"clas", false), false},
  };
  for (const FindRow& row : rows) {
    SCOPED_TRACE(row.name);
    AttributeList list;
    AttributeRecord record;
    record.name = row.stored;
    list.Append(record);
    EXPECT_EQ(list.Find(row.key) != nullptr, row.found);
  }
  // A plain view always ignores case.
  AttributeList list;
  list.Append(Parsed(u"kpsId", u"1", QuoteKind::kDouble, true));
  EXPECT_NE(list.Find(u"KPSID"), nullptr);
}

TEST(AttributeListTest, AddRefusesAnExistingName) {
  AttributeList list;
  list.Append(Parsed(u"checked", u"checked", QuoteKind::kNone));
  EXPECT_EQ(list.Add(u"CHECKED", u"x"), nullptr);
  AttributeRecord* added = list.Add(u"kpscheckedattr", u"{Checked}");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->value.View(), u"{Checked}");
  EXPECT_FALSE(added->from_source);
  EXPECT_EQ(added->name_position, 0u);
  EXPECT_EQ(added->quote_kind, QuoteKind::kNone);
  EXPECT_FALSE(added->name.CaseSensitive());
  EXPECT_EQ(Names(list), "checked,kpscheckedattr");
}

TEST(AttributeListTest, RemoveTakesTheFirstMatchOnly) {
  AttributeList list;
  list.Append(Parsed(u"a", u"1", QuoteKind::kNone));
  list.Append(Parsed(u"b", u"2", QuoteKind::kNone));
  list.Append(Parsed(u"A", u"3", QuoteKind::kNone));
  EXPECT_TRUE(list.Remove(u"a"));
  EXPECT_EQ(Names(list), "b,A");
  EXPECT_EQ(list.Find(u"a")->value.View(), u"3");
  EXPECT_FALSE(list.Remove(u"zz"));
  EXPECT_EQ(list.Size(), 2u);
}

TEST(AttributeListTest, ValueOfAddsAnEmptyValue) {
  AttributeList list;
  list.Append(Parsed(u"href", u"x", QuoteKind::kDouble));
  EXPECT_EQ(list.ValueOf(u"HREF").View(), u"x");
  MarkupString& added = list.ValueOf(u"title");
  EXPECT_TRUE(added.IsEmpty());
  added.Assign(u"set through the reference");
  EXPECT_EQ(list.Find(u"title")->value.View(), u"set through the reference");
  EXPECT_EQ(list.Size(), 2u);
}

TEST(AttributeListTest, MergeCopiesMissingAttributesWholly) {
  AttributeList mine;
  mine.Append(Parsed(u"id", u"1", QuoteKind::kDouble));
  AttributeList other;
  other.Append(Parsed(u"ID", u"2", QuoteKind::kApostrophe));
  other.Append(Parsed(u"name", u"n", QuoteKind::kApostrophe));
  mine.Merge(other);
  EXPECT_EQ(Names(mine), "id,name");
  const AttributeRecord* merged = mine.Find(u"name");
  ASSERT_NE(merged, nullptr);
  EXPECT_EQ(merged->quote_kind, QuoteKind::kApostrophe);
  EXPECT_EQ(merged->value_position, 9u);
  EXPECT_TRUE(merged->from_source);
  EXPECT_EQ(mine.Find(u"id")->value.View(), u"1");
}

TEST(AttributeListTest, CaseChangesOfNames) {
  AttributeList list;
  list.Append(Parsed(u"onClick", u"Go()", QuoteKind::kDouble));
  list.Append(Parsed(u"X-\u00C9", u"V", QuoteKind::kDouble));
  list.LowerCaseNames();
  EXPECT_EQ(Names(list), "onclick,x-?");
  EXPECT_EQ(list.Find(u"onclick")->value.View(), u"Go()");  // values stay
  list.UpperCaseNames();
  EXPECT_EQ(Names(list), "ONCLICK,X-?");
  EXPECT_EQ(list.begin()->name.View(), u"ONCLICK");
}

struct SplitRow {
  const char* name;
  std::vector<AttributeRecord> attributes;
  std::string names_after;
};

TEST(AttributeListTest, SplitNamespaceAttributes) {
  const SplitRow rows[] = {
      {"prefixed namespace gains a twin",
       {Parsed(u"xmlns:x", u"urn:x", QuoteKind::kDouble)},
       "xmlns:x,xmlns-x"},
      {"plain xmlns is renamed", {Parsed(u"xmlns", u"urn:d", QuoteKind::kDouble)}, "kpsxmlns"},
      {"unflagged name matches in any case",
       {Parsed(u"XMLNS", u"u", QuoteKind::kNone), Parsed(u"XmlNs:o", u"u", QuoteKind::kNone)},
       "kpsxmlns,XmlNs:o,XmlNs-o"},
      {"flagged name must be lower case",
       {Parsed(u"XMLNS:o", u"u", QuoteKind::kNone, true)},
       "XMLNS:o"},
      {"nothing after the colon", {Parsed(u"xmlns:", u"u", QuoteKind::kNone)}, "xmlns:"},
      {"sixth character not a colon", {Parsed(u"xmlnsx", u"u", QuoteKind::kNone)}, "xmlnsx"},
      {"other attributes stay", {Parsed(u"id", u"1", QuoteKind::kNone)}, "id"},
  };
  for (const SplitRow& row : rows) {
    SCOPED_TRACE(row.name);
    AttributeList list;
    for (const AttributeRecord& record : row.attributes) list.Append(record);
    list.SplitNamespaceAttributes();
    EXPECT_EQ(Names(list), row.names_after);
  }
  AttributeList list;
  list.Append(Parsed(u"xmlns:x", u"urn:x", QuoteKind::kApostrophe));
  list.SplitNamespaceAttributes();
  const AttributeRecord* twin = list.Find(u"xmlns-x");
  ASSERT_NE(twin, nullptr);
  EXPECT_FALSE(twin->from_source);
  EXPECT_EQ(twin->value.View(), u"urn:x");
  EXPECT_EQ(twin->quote_kind, QuoteKind::kApostrophe);
  EXPECT_TRUE(list.Find(u"xmlns:x")->from_source);
}

TEST(AttributeListTest, Serialize) {
  AttributeList list;
  list.Append(Parsed(u"a", u"1", QuoteKind::kNone));
  list.Append(Parsed(u"b", u"x\"y", QuoteKind::kApostrophe));
  EXPECT_EQ(Narrow(list.Serialize(true).View()), " a=1 b='x&quot;y'");
  EXPECT_EQ(Narrow(list.Serialize(false).View()), " a=\"1\" b=\"x&quot;y\"");
  list.Append(Parsed(u"c", u"<&amp;>", QuoteKind::kDouble));
  EXPECT_EQ(Narrow(list.Serialize(true).View()), " a=1 b='x&quot;y' c=\"&lt;&amp;&gt;\"");
  {
    kpx::ScopedDoubleEscapeQuotes on(true);
    EXPECT_EQ(Narrow(list.Serialize(false).View()),
              " a=\"1\" b=\"x&amp;quot;y\" c=\"&lt;&amp;&gt;\"");
  }
  EXPECT_EQ(list.Find(u"b")->value.View(), u"x\"y");  // serializing leaves values alone
  EXPECT_TRUE(AttributeList().Serialize(true).IsEmpty());
}

// A list keeps the nodes of removed records for the records added later; none of that may show:
// every added record starts from its defaults, removed records stay out of iteration, size and
// copies, and the order stays that of adding.
TEST(AttributeListTest, KeptNodesNeverShow) {
  struct Step {
    const char* what;
    void (*apply)(AttributeList&);
    const char* names;
  };
  const Step steps[] = {
      {"fill",
       [](AttributeList& l) {
         for (auto n : {u"a", u"b", u"c", u"d"}) l.Append(Parsed(n, u"v", QuoteKind::kDouble));
       },
       "a,b,c,d"},
      {"erase the last", [](AttributeList& l) { l.Erase(std::prev(l.end())); }, "a,b,c"},
      {"erase in the middle",
       [](AttributeList& l) { EXPECT_EQ(l.Erase(std::next(l.begin()))->name.View(), u"c"); },
       "a,c"},
      {"remove the first", [](AttributeList& l) { EXPECT_TRUE(l.Remove(u"A")); }, "c"},
      {"add reuses",
       [](AttributeList& l) {
         l.Add(u"e", u"1");
         l.AppendDefault().name.Assign(u"f");
       },
       "c,e,f"},
      {"clear", [](AttributeList& l) { l.Clear(); }, ""},
      {"refill",
       [](AttributeList& l) {
         l.AppendDefault().name.Assign(u"g");
         l.Add(u"h", u"");
       },
       "g,h"},
      {"erase the only ones",
       [](AttributeList& l) {
         while (!l.IsEmpty()) l.Erase(l.begin());
       },
       ""},
      {"fill again",
       [](AttributeList& l) {
         for (auto n : {u"i", u"j", u"k", u"l", u"m"}) l.AppendDefault().name.Assign(n);
       },
       "i,j,k,l,m"},
  };
  AttributeList list;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.apply(list);
    EXPECT_EQ(Names(list), step.names);
    EXPECT_EQ(list.Size(), static_cast<size_t>(std::distance(list.begin(), list.end())));
    EXPECT_EQ(Names(AttributeList(list)), step.names);
    AttributeList assigned;
    assigned.Append(Parsed(u"z", u"z", QuoteKind::kNone));
    assigned = list;
    EXPECT_EQ(Names(assigned), step.names);
  }
  // Records made in reused nodes start from their defaults.
  list.Clear();
  list.Append(Parsed(u"p", u"v", QuoteKind::kDouble));  // name without the case flag
  list.Clear();
  const AttributeRecord& fresh = list.AppendDefault();
  EXPECT_TRUE(fresh.name.IsEmpty() && fresh.value.IsEmpty());
  EXPECT_TRUE(fresh.name.CaseSensitive() && fresh.value.CaseSensitive());
  EXPECT_EQ(fresh.name_position + fresh.value_position + fresh.equals_position, 0u);
  EXPECT_EQ(fresh.quote_kind, QuoteKind::kNone);
  EXPECT_FALSE(fresh.from_source);
  // A move takes the records and leaves an empty list that works.
  AttributeList moved(std::move(list));
  EXPECT_EQ(Names(moved), "");
  EXPECT_EQ(moved.Size(), 1u);
  EXPECT_TRUE(list.IsEmpty());
  list.Add(u"n", u"1");
  EXPECT_EQ(Names(list), "n");
  moved = std::move(list);
  EXPECT_EQ(Names(moved), "n");
}

TEST(TagRecordTest, ResetAndCopy) {
  TagRecord tag;
  EXPECT_EQ(tag.tag_start, kpx::kNoTagStart);
  EXPECT_TRUE(tag.needs_rewrite);
  EXPECT_FALSE(tag.name.CaseSensitive());

  tag.name.Assign(u"TD");
  tag.attributes.Append(Parsed(u"a", u"1", QuoteKind::kNone));
  tag.junk_ranges.push_back({7, 2});
  tag.keep_quotes = true;
  tag.end_tag = true;
  tag.self_closing = true;
  tag.needs_rewrite = false;
  tag.tag_start = 3;
  tag.name_position = 4;
  EXPECT_TRUE(tag.name.Equals(u"td"));
  EXPECT_EQ(Narrow(tag.SerializeAttributes().View()), " a=1");

  TagRecord copy(tag);
  EXPECT_EQ(copy.name.View(), u"TD");
  EXPECT_FALSE(copy.name.CaseSensitive());
  EXPECT_EQ(copy.attributes.Size(), 1u);
  EXPECT_EQ(copy.junk_ranges, tag.junk_ranges);
  EXPECT_TRUE(copy.end_tag);
  EXPECT_TRUE(copy.self_closing);
  EXPECT_FALSE(copy.needs_rewrite);
  EXPECT_EQ(copy.tag_start, 3u);
  EXPECT_EQ(copy.name_position, 4u);
  EXPECT_FALSE(copy.keep_quotes);  // belongs to the holder
  EXPECT_EQ(Narrow(copy.SerializeAttributes().View()), " a=\"1\"");

  TagRecord holder;
  holder.keep_quotes = true;
  holder = copy;
  EXPECT_TRUE(holder.keep_quotes);
  EXPECT_EQ(holder.tag_start, 3u);

  tag.Reset();
  EXPECT_TRUE(tag.name.IsEmpty());
  EXPECT_FALSE(tag.name.CaseSensitive());
  EXPECT_TRUE(tag.attributes.IsEmpty());
  EXPECT_TRUE(tag.junk_ranges.empty());
  EXPECT_FALSE(tag.end_tag);
  EXPECT_FALSE(tag.self_closing);
  EXPECT_TRUE(tag.needs_rewrite);
  EXPECT_EQ(tag.tag_start, kpx::kNoTagStart);
  EXPECT_TRUE(tag.keep_quotes);
  EXPECT_EQ(copy.attributes.Size(), 1u);  // the copy is independent
}

}  // namespace
