// The element table and the name lists.
#include "markup/element_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "edit_ops.h"
#include "markup/element_names.h"

namespace {

using kpx::ElementProperties;
using kpx::LookUpElement;
using kpx::MarkupString;
using kpx::testing::Narrow;

// The property table written out as bit -> elements, independently of the library's table.
struct PropertyColumn {
  std::uint32_t bit;
  std::vector<std::u16string_view> elements;
};

const PropertyColumn kPropertyColumns[] = {
    {0x1,
     {u"a",        u"abbr",   u"acronym", u"applet", u"b",        u"basefont", u"bdo",    u"big",
      u"br",       u"button", u"cite",    u"del",    u"dfn",      u"em",       u"font",   u"i",
      u"iframe",   u"img",    u"input",   u"ins",    u"kbd",      u"label",    u"legend", u"map",
      u"noscript", u"object", u"param",   u"q",      u"rb",       u"rbc",      u"rp",     u"rt",
      u"rtc",      u"ruby",   u"s",       u"samp",   u"script",   u"select",   u"small",  u"span",
      u"strike",   u"strong", u"sub",     u"sup",    u"textarea", u"tt",       u"u",      u"var"}},
    {0x2, {u"address", u"area",     u"blockquote", u"center", u"del", u"dir",       u"div",
           u"dl",      u"embed",    u"fieldset",   u"form",   u"h1",  u"h2",        u"h3",
           u"h4",      u"h5",       u"h6",         u"hr",     u"ins", u"isindex",   u"listing",
           u"menu",    u"noframes", u"noscript",   u"ol",     u"p",   u"plaintext", u"pre",
           u"script",  u"table",    u"ul",         u"xmp"}},
    {0x4, {u"applet", u"object"}},
    {0x8, {u"applet", u"img", u"input", u"object"}},
    {0x10, {u"applet", u"object"}},
    {0x20,
     {u"area", u"base", u"basefont", u"br", u"col", u"frame", u"hr", u"img", u"input", u"isindex",
      u"link", u"meta", u"nextid", u"param"}},
    {0x40,
     {u"base", u"comment", u"link", u"meta", u"nextid", u"noscript", u"object", u"script", u"style",
      u"title"}},
    {0x80, {u"body", u"frameset", u"head", u"html"}},
    {0x100,
     {u"body", u"colgroup", u"dd", u"dt", u"head", u"html", u"li", u"optgroup", u"option", u"p",
      u"tbody", u"td", u"tfoot", u"th", u"thead", u"tr"}},
    {0x200, {u"body", u"head", u"html"}},
    {0x400, {u"caption", u"col", u"colgroup", u"tbody", u"tfoot", u"thead", u"tr"}},
    {0x800, {u"dd", u"dt", u"li", u"td", u"th"}},
    {0x1000, {u"del", u"ins", u"noscript", u"script"}},
    {0x2000, {u"dir", u"listing", u"menu", u"plaintext", u"xmp"}},
    {0x4000, {u"dd", u"dt"}},
    {0x8000, {u"optgroup", u"option", u"select", u"textarea"}},
    {0x10000, {u"frame", u"frameset", u"noframes"}},
    {0x20000, {u"h1", u"h2", u"h3", u"h4", u"h5", u"h6"}},
    {0x40000, {u"li"}},
    {0x80000, {u"td", u"th"}},
    {0x100000, {u"tbody", u"tfoot", u"thead"}},
    {0x200000,
     {u"blockquote", u"center", u"div", u"fieldset", u"font", u"object", u"pre", u"span"}},
};

const std::u16string_view kAllNames[] = {
    u"a",        u"abbr",     u"acronym",  u"address", u"applet",     u"area",      u"b",
    u"base",     u"basefont", u"bdo",      u"big",     u"blockquote", u"body",      u"br",
    u"button",   u"caption",  u"center",   u"cite",    u"col",        u"colgroup",  u"comment",
    u"dd",       u"del",      u"dfn",      u"dir",     u"div",        u"dl",        u"dt",
    u"em",       u"embed",    u"fieldset", u"font",    u"form",       u"frame",     u"frameset",
    u"h1",       u"h2",       u"h3",       u"h4",      u"h5",         u"h6",        u"head",
    u"hr",       u"html",     u"i",        u"iframe",  u"img",        u"input",     u"ins",
    u"isindex",  u"kbd",      u"label",    u"legend",  u"li",         u"link",      u"listing",
    u"map",      u"menu",     u"meta",     u"nextid",  u"noframes",   u"noscript",  u"object",
    u"ol",       u"optgroup", u"option",   u"p",       u"param",      u"plaintext", u"pre",
    u"q",        u"rb",       u"rbc",      u"rp",      u"rt",         u"rtc",       u"ruby",
    u"s",        u"samp",     u"script",   u"select",  u"small",      u"span",      u"strike",
    u"strong",   u"style",    u"sub",      u"sup",     u"table",      u"tbody",     u"td",
    u"textarea", u"tfoot",    u"th",       u"thead",   u"title",      u"tr",        u"tt",
    u"u",        u"ul",       u"var",      u"xmp"};

std::string Upper(std::u16string_view name) {
  std::string out = Narrow(name);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

TEST(ElementTableTest, BitsMatchThePropertyTableForEveryName) {
  std::map<std::u16string_view, std::uint32_t> expected;
  for (std::u16string_view name : kAllNames) expected[name] = 0;
  for (const PropertyColumn& column : kPropertyColumns) {
    for (std::u16string_view name : column.elements) {
      ASSERT_TRUE(expected.count(name)) << Narrow(name);
      expected[name] |= column.bit;
    }
  }
  ASSERT_EQ(expected.size(), 102u);
  ASSERT_EQ(kpx::ElementTable().size(), 102u);
  for (const auto& [name, bits] : expected) {
    SCOPED_TRACE(Narrow(name));
    const kpx::ElementEntry* entry = LookUpElement(name);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, name);
    EXPECT_EQ(entry->properties, bits);
    // Found in any letter case.
    const std::string upper = Upper(name);
    const std::u16string upper16(upper.begin(), upper.end());
    EXPECT_EQ(LookUpElement(upper16), entry);
  }
  // The table holds the names in the documented order.
  std::size_t i = 0;
  for (const kpx::ElementEntry& entry : kpx::ElementTable()) {
    EXPECT_EQ(entry.name, kAllNames[i++]);
  }
}

struct LookUpRow {
  std::u16string_view name;
  bool found;
  std::uint32_t bits;
};

TEST(ElementTableTest, LookUps) {
  const LookUpRow rows[] = {
      {u"TD", true, 0x80900},
      {u"Td", true, 0x80900},
      {u"object", true, 0x20005D},
      {u"h", false, 0},       // prefix of h1
      {u"tables", false, 0},  // extension of table
      {u"", false, 0},
      {u"kpsblock", false, 0},  // template tags are unknown
      {u"xmp", true, 0x2002},   // last entry
      {u"a", true, 0x1},        // first entry
      {u"\u00E1", false, 0},    // no folding outside ASCII
      {u"t\u0000d", false, 0},
      {u"BlockQuote", true, 0x200002},  // the longest name
      {u"blockquotes", false, 0},       // one longer than any name
      {u"blockquot", false, 0},
      {u"H6", true, 0x20002},
      {u"h7", false, 0},
      {u"1h", false, 0},
      {u"td ", false, 0},
      {u"t-d", false, 0},
  };
  for (const LookUpRow& row : rows) {
    SCOPED_TRACE(Narrow(row.name));
    EXPECT_EQ(LookUpElement(row.name) != nullptr, row.found);
    EXPECT_EQ(ElementProperties(row.name), row.bits);
  }
  EXPECT_TRUE(kpx::HasElementProperty(u"font", kpx::kInline | kpx::kGenericContainer));
  EXPECT_TRUE(kpx::HasElementProperty(u"P", kpx::kBlock));
  EXPECT_TRUE(kpx::HasElementProperty(u"p", kpx::kEndTagOptional));
  EXPECT_FALSE(kpx::HasElementProperty(u"p", kpx::kInline));
  EXPECT_FALSE(kpx::HasElementProperty(u"custom", 0));
}

TEST(ElementNamesTest, BodyContent) {
  struct Row {
    MarkupString name;
    bool body_content;
  };
  const Row rows[] = {
      {MarkupString(u"nextid"), false},
      {MarkupString(u"NEXTID"), false},
      {MarkupString(u"nextId", false), false},
      {MarkupString(u"bgsound"), false},
      {MarkupString(u"Script"), false},
      {MarkupString(u"kpsCDATA"), false},
      {MarkupString(u"kpscdata", true), true},  // flagged: compared case-sensitively
      {MarkupString(u"kpscdata", false), false},
      {MarkupString(u"div"), true},
      {MarkupString(u"bases"), true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Narrow(row.name.View()));
    EXPECT_EQ(kpx::IsBodyContent(row.name), row.body_content);
  }
  EXPECT_FALSE(kpx::IsBodyContent(std::u16string_view(u"kpscdata")));  // a view has no flag
  EXPECT_TRUE(kpx::IsBodyContent(std::u16string_view(u"table")));
}

TEST(ElementNamesTest, ListTests) {
  EXPECT_TRUE(kpx::IsRawContent(u"script"));
  EXPECT_TRUE(kpx::IsRawContent(u"Comment"));
  EXPECT_FALSE(kpx::IsRawContent(u"textarea"));
  EXPECT_TRUE(kpx::IsFormControl(u"SELECT"));
  EXPECT_FALSE(kpx::IsFormControl(u"input"));
  EXPECT_EQ(kpx::TableStructureValue(u"TBODY"), 1);
  EXPECT_EQ(kpx::TableStructureValue(u"th"), 1);
  EXPECT_EQ(kpx::TableStructureValue(u"caption"), std::nullopt);
  EXPECT_TRUE(kpx::IsCellName(u"TH"));
  EXPECT_FALSE(kpx::IsCellName(u"tr"));
}

struct PairRow {
  std::u16string_view first;
  std::u16string_view second;
  bool expected;
};

TEST(ElementNamesTest, Closes) {
  const PairRow rows[] = {
      {u"td", u"th", true},   {u"TH", u"td", true},  {u"td", u"tr", false},
      {u"Div", u"dIV", true}, {u"tr", u"td", false}, {u"span", u"div", false},
  };
  for (const PairRow& row : rows) {
    SCOPED_TRACE(Narrow(row.first) + "/" + Narrow(row.second));
    EXPECT_EQ(kpx::Closes(row.first, row.second), row.expected);
  }
}

TEST(ElementNamesTest, MayContain) {
  const PairRow rows[] = {
      {u"p", u"object", true},   {u"span", u"p", true},      {u"p", u"p", false},
      {u"p", u"div", false},     {u"span", u"div", false},   {u"div", u"table", true},
      {u"P", u"CODE", true},     {u"code", u"p", true},      {u"b", u"custom", false},
      {u"custom", u"div", true}, {u"script", u"span", true}, {u"font", u"P", true},
  };
  for (const PairRow& row : rows) {
    SCOPED_TRACE(Narrow(row.first) + "/" + Narrow(row.second));
    EXPECT_EQ(kpx::MayContain(row.first, row.second), row.expected);
  }
  // The set has 40 names; code is in it although the element table does not know it.
  EXPECT_TRUE(kpx::IsInlineContentName(u"code"));
  EXPECT_FALSE(kpx::IsInlineContentName(u"div"));
}

}  // namespace
