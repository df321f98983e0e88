// Escaping of attribute values, the edits it records, and its process-wide switches.
#include "markup/attribute_escaping.h"

#include <gtest/gtest.h>

#include <semaphore>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "edit_ops.h"
#include "markup/text_edit_list.h"

namespace {

using kpx::EscapeAttributeValue;
using kpx::MarkupString;
using kpx::testing::Narrow;

struct EscapeRow {
  std::u16string_view value;
  std::u16string_view escaped;  // the value itself when nothing changes
};

TEST(AttributeEscapingTest, EscapesMarkupCharacters) {
  const EscapeRow rows[] = {
      {u"a&b<c>\"d'", u"a&amp;b&lt;c&gt;&quot;d'"},
      {u"&AMP;&nbsp;", u"&AMP;&amp;nbsp;"},
      {u"&lt;&Gt;&amp;", u"&lt;&Gt;&amp;"},
      {u"&quot;", u"&amp;quot;"},
      {u"&", u"&amp;"},
      {u"&am", u"&amp;am"},
      {u"plain text", u"plain text"},
      {u"", u""},
      {u"'single'", u"'single'"},
      {u"\u00E9<", u"\u00E9&lt;"},
      // Long values are searched eight characters at a time: a character to escape at the
      // start, on both sides of a group edge, at the very end, and after a kept entity.
      {u">bcdefghijklmnopq", u"&gt;bcdefghijklmnopq"},
      {u"abcdefg<ijklmnopq", u"abcdefg&lt;ijklmnopq"},
      {u"abcdefgh\"jklmnopq", u"abcdefgh&quot;jklmnopq"},
      {u"abcdefghijklmnop&", u"abcdefghijklmnop&amp;"},
      {u"abcdefghijklmnopqrstuvwxyz0123456789", u"abcdefghijklmnopqrstuvwxyz0123456789"},
      {u"&amp;bcdefghijklmn&x", u"&amp;bcdefghijklmn&amp;x"},
      {u"\u4e00\u4e8c\u4e09\u56db\u4e94\u516d\u4e03\u516b\u4e5d>",
       u"\u4e00\u4e8c\u4e09\u56db\u4e94\u516d\u4e03\u516b\u4e5d&gt;"},
  };
  for (const EscapeRow& row : rows) {
    SCOPED_TRACE(Narrow(row.value));
    MarkupString value(row.value);
    EXPECT_EQ(EscapeAttributeValue(value), row.value != row.escaped);
    EXPECT_EQ(Narrow(value.View()), Narrow(row.escaped));
  }
}

TEST(AttributeEscapingTest, DoubleEscapingOfQuotes) {
  {
    kpx::ScopedDoubleEscapeQuotes on(true);
    MarkupString value(u"say \"hi\"");
    EXPECT_TRUE(EscapeAttributeValue(value));
    EXPECT_EQ(value.View(), u"say &amp;quot;hi&amp;quot;");
  }
  EXPECT_FALSE(kpx::DoubleEscapeQuotes());  // the scope restored it
  MarkupString value(u"\"");
  EscapeAttributeValue(value);
  EXPECT_EQ(value.View(), u"&quot;");
}

TEST(AttributeEscapingTest, ScopesRestoreOnEveryWayOut) {
  kpx::SetAttributeEscapingOff(false);
  try {
    kpx::ScopedAttributeEscapingOff off;
    EXPECT_TRUE(kpx::AttributeEscapingOff());
    {
      kpx::ScopedAttributeEscapingOff inner(false);
      EXPECT_FALSE(kpx::AttributeEscapingOff());
    }
    EXPECT_TRUE(kpx::AttributeEscapingOff());
    throw std::runtime_error("leaving early");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(kpx::AttributeEscapingOff());

  kpx::SetDoubleEscapeQuotes(true);  // a setting made without a scope stays
  {
    kpx::ScopedDoubleEscapeQuotes off(false);
    EXPECT_FALSE(kpx::DoubleEscapeQuotes());
  }
  EXPECT_TRUE(kpx::DoubleEscapeQuotes());
  kpx::SetDoubleEscapeQuotes(false);
}

// Two threads whose scopes overlap, the first to open closing first (as when two balancing
// operations run at once): each thread sees its own scope only, and once both have closed the
// switch is what it was before either opened.
TEST(AttributeEscapingTest, AScopeKeepsToItsThread) {
  kpx::SetAttributeEscapingOff(false);
  std::binary_semaphore a_open{0}, b_open{0}, a_closed{0};
  bool a_inside = false, b_before = true, b_inside_after_a = false;
  std::thread a([&] {
    {
      kpx::ScopedAttributeEscapingOff off;
      a_open.release();
      b_open.acquire();
      a_inside = kpx::AttributeEscapingOff();
    }
    a_closed.release();
  });
  std::thread b([&] {
    a_open.acquire();
    b_before = kpx::AttributeEscapingOff();
    kpx::ScopedAttributeEscapingOff off;
    b_open.release();
    a_closed.acquire();
    b_inside_after_a = kpx::AttributeEscapingOff();
  });
  a.join();
  b.join();
  EXPECT_TRUE(a_inside);
  EXPECT_FALSE(b_before);
  EXPECT_TRUE(b_inside_after_a);
  EXPECT_FALSE(kpx::AttributeEscapingOff());
}

TEST(AttributeEscapingTest, RecordsOneDeleteAndOneInsertPerReplacement) {
  // <a title="x<y&z"> : the value starts at offset 10.
  const std::u16string page = u"<a title=\"x<y&z\">";
  kpx::TextEditList list{page};
  MarkupString value(u"x<y&z");
  ASSERT_TRUE(EscapeAttributeValue(value, &list, 10));
  EXPECT_EQ(value.View(), u"x&lt;y&amp;z");
  ASSERT_EQ(list.EditCount(), 4u);
  const auto edits = list.Edits();
  EXPECT_EQ(edits[0].kind, kpx::EditKind::kDelete);
  EXPECT_EQ(edits[0].position, 11u);
  EXPECT_EQ(edits[0].count, 1u);
  EXPECT_EQ(edits[1].kind, kpx::EditKind::kInsert);
  EXPECT_EQ(edits[1].position, 11u);
  EXPECT_TRUE(edits[1].after);
  EXPECT_EQ(edits[1].text.View(), u"&lt;");
  // Offsets follow the value as it was: "&" is the value's fourth character.
  EXPECT_EQ(edits[2].position, 13u);
  EXPECT_EQ(edits[3].text.View(), u"&amp;");
  list.Apply();
  EXPECT_EQ(list.Text(), u"<a title=\"x&lt;y&amp;z\">");
}

TEST(AttributeEscapingTest, StaysBehindAQuoteInsertedAtTheSameOffset) {
  // <a href=<x> with an unquoted value "<x" at offset 8: quotes go around it first.
  const std::u16string page = u"<a href=<x >";
  kpx::TextEditList list{page};
  list.Insert(8, u"\"", true);
  list.Insert(10, u"\"", true);
  MarkupString value(u"<x");
  EscapeAttributeValue(value, &list, 8);
  list.Apply();
  EXPECT_EQ(list.Text(), u"<a href=\"&lt;x\" >");
}

TEST(AttributeEscapingTest, NothingRecordedWhenNothingChanges) {
  kpx::TextEditList list{u"abc"};
  MarkupString value(u"abc &amp; def");
  EXPECT_FALSE(EscapeAttributeValue(value, &list, 0));
  EXPECT_EQ(list.EditCount(), 0u);
}

}  // namespace
