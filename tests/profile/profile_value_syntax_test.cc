// Reading attribute values: name lists, outputs, balance and closable, with the findings each
// bad value gives, word for word.
#include "profile/profile_value_syntax.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf.h"

namespace kpx {
namespace {

using S = NameListState;

std::vector<std::string> Names(const NameList& list) {
  std::vector<std::string> names;
  for (const std::u16string& name : list.names()) names.push_back(ToUtf8(name));
  return names;
}

std::vector<std::string> Messages(const ValueFindings& findings, bool errors) {
  std::vector<std::string> messages;
  for (const ValueFinding& f : findings) {
    if (f.is_error == errors) messages.push_back(ToUtf8(f.message));
  }
  return messages;
}

TEST(ProfileValueSyntaxTest, NameListValues) {
  struct Row {
    std::u16string_view value;
    S state;
    std::vector<std::string> names;
    std::vector<std::string> warnings;
  };
  const Row rows[] = {
      {u"td", S::kListed, {"td"}, {}},
      {u"td;th", S::kListed, {"td", "th"}, {}},
      {u" td ; th ", S::kListed, {"td", "th"}, {}},
      {u"\ttd;\r\nth", S::kListed, {"td", "th"}, {}},
      // A digit is not a name character: it ends the name and the list.
      {u"h1;h2", S::kListed, {"h"}, {}},
      {u"kps:component;data-x;_y", S::kListed, {"kps:component", "data-x", "_y"}, {}},
      {u"a,b", S::kListed, {"a"}, {}},
      {u"a;;b", S::kListed, {"a"}, {}},
      {u"", S::kListed, {}, {}},
      {u"*", S::kAny, {}, {}},
      {u" *", S::kListed, {}, {}},
      {u"!(td;th)", S::kAllButListed, {"td", "th"}, {}},
      {u"!( td ; th )", S::kAllButListed, {"td", "th"}, {}},
      {u"!()", S::kAllButListed, {}, {}},
      {u"!(td;th",
       S::kAllButListed,
       {"td", "th"},
       {"expected ')' in the attribute value: '!(td;th'"}},
      {u"!(td) x", S::kAllButListed, {"td"}, {"expected ')' in the attribute value: '!(td) x'"}},
      {u"!(h1)", S::kAllButListed, {"h"}, {"expected ')' in the attribute value: '!(h1)'"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(ToUtf8(row.value));
    NameList list;
    ValueFindings findings;
    ReadNameListValue(row.value, list, findings);
    EXPECT_EQ(list.state(), row.state);
    EXPECT_EQ(Names(list), row.names);
    EXPECT_EQ(Messages(findings, false), row.warnings);
    EXPECT_TRUE(Messages(findings, true).empty());
    EXPECT_FALSE(list.exact_case());
  }
}

// A list keeps the state its first value gave it; later values only add names, and a list that
// is any takes none.
TEST(ProfileValueSyntaxTest, LaterValuesOfTheSameList) {
  struct Row {
    std::vector<std::u16string_view> values;
    S state;
    std::vector<std::string> names;
  };
  const Row rows[] = {
      {{u"*", u"res;url"}, S::kAny, {}},
      {{u"res", u"*"}, S::kListed, {"res"}},
      {{u"res", u"url"}, S::kListed, {"res", "url"}},
      {{u"!(res)", u"url"}, S::kAllButListed, {"res", "url"}},
      {{u"res", u"!(url)"}, S::kListed, {"res", "url"}},
  };
  for (const Row& row : rows) {
    NameList list;
    ValueFindings findings;
    for (std::u16string_view value : row.values) ReadNameListValue(value, list, findings);
    EXPECT_EQ(list.state(), row.state);
    EXPECT_EQ(Names(list), row.names);
  }
}

TEST(ProfileValueSyntaxTest, OutputValues) {
  struct Row {
    std::u16string_view value;
    OutputKind kind;
    uint32_t options;
    std::string error_name;
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
  };
  const Row rows[] = {
      {u"none", OutputKind::kNone, 0, "", {}, {}},
      {u"text", OutputKind::kText, 0, "", {}, {}},
      {u"xml", OutputKind::kXml, 0, "", {}, {}},
      {u"rip", OutputKind::kRip, 0, "", {}, {}},
      {u"xml:", OutputKind::kXml, 0, "", {}, {}},
      {u"xml:rawContent;UPPERTAG", OutputKind::kXml, 0x011, "", {}, {}},
      {u"xml:rawContent;lowerTag;lowerAttributes;simulate;upperTag;upperAttributes;"
       u"encloseInTag;enumerateLocal",
       OutputKind::kXml,
       0x47F,
       "",
       {},
       {}},
      {u"xml: simulate ; enumeratelocal ", OutputKind::kXml, 0x408, "", {}, {}},
      {u"xml:simulate;bogus;lowerTag",
       OutputKind::kXml,
       0x00A,
       "",
       {},
       {"invalid attribute value: 'bogus'"}},
      {u"xml:raw2", OutputKind::kXml, 0, "", {}, {"invalid attribute value: 'raw'"}},
      {u"error:XX_FormInsideTable", OutputKind::kError, 0, "XX_FormInsideTable", {}, {}},
      {u"error:", OutputKind::kError, 0, "", {}, {}},
      {u"XML", OutputKind::kUnset, 0, "", {"invalid attribute value: 'XML'"}, {}},
      {u"Text", OutputKind::kUnset, 0, "", {"invalid attribute value: 'Text'"}, {}},
      {u"XML:simulate", OutputKind::kUnset, 0, "", {"invalid attribute value: 'XML:simulate'"}, {}},
      {u"", OutputKind::kUnset, 0, "", {"invalid attribute value: ''"}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(ToUtf8(row.value));
    OutputSpec output{OutputKind::kText, u"old", 0x40};  // every value replaces what was there
    ValueFindings findings;
    ReadOutputValue(row.value, output, findings);
    EXPECT_EQ(output.kind, row.kind);
    EXPECT_EQ(output.options, row.options);
    EXPECT_EQ(ToUtf8(output.error_name), row.error_name);
    EXPECT_EQ(Messages(findings, true), row.errors);
    EXPECT_EQ(Messages(findings, false), row.warnings);
  }
}

TEST(ProfileValueSyntaxTest, BalanceAndClosableValues) {
  struct BalanceRow {
    std::u16string_view value;
    Balance balance;
    bool warned;
  };
  const BalanceRow balance_rows[] = {
      {u"auto", Balance::kAuto, false},         {u"deny", Balance::kDeny, false},
      {u"validate", Balance::kValidate, false}, {u"validate:exact", Balance::kValidateExact, false},
      {u"Deny", Balance::kAuto, true},          {u"validate:", Balance::kAuto, true},
  };
  for (const BalanceRow& row : balance_rows) {
    SCOPED_TRACE(ToUtf8(row.value));
    Balance balance = Balance::kDeny;
    ValueFindings findings;
    ReadBalanceValue(row.value, balance, findings);
    EXPECT_EQ(balance, row.balance);
    EXPECT_EQ(Messages(findings, false),
              row.warned
                  ? std::vector<std::string>{"invalid attribute value: '" + ToUtf8(row.value) + "'"}
                  : std::vector<std::string>{});
  }

  struct ClosableRow {
    std::u16string_view value;
    bool before;
    bool after;
    bool warned;
  };
  const ClosableRow closable_rows[] = {
      {u"true", false, true, false},
      {u"false", true, false, false},
      {u"TRUE", false, false, true},
      {u"yes", true, true, true},
  };
  for (const ClosableRow& row : closable_rows) {
    SCOPED_TRACE(ToUtf8(row.value));
    bool closable = row.before;
    ValueFindings findings;
    ReadClosableValue(row.value, closable, findings);
    EXPECT_EQ(closable, row.after);
    EXPECT_EQ(findings.size(), row.warned ? 1u : 0u);
  }
}

}  // namespace
}  // namespace kpx
