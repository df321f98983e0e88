// The reverse profile loader: the root, misplaced elements, incomplete pairs and the escapes of
// keys and values, with the findings word for word.
#include "profile/reverse_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "profile/substitution_escapes.h"
#include "profile_test_support.h"

namespace kpx {
namespace {

using testing::Error;
using testing::Finding;
using testing::Warning;

std::string Reverse(std::string_view tables) {
  return "<xconverterReverseProfile>" + std::string(tables) + "</xconverterReverseProfile>";
}
std::string OneTable(std::string_view entries) {
  return Reverse("<substTable>" + std::string(entries) + "</substTable>");
}

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

struct Loaded {
  bool ok = false;
  std::vector<Finding> findings;
  Pairs pairs;
};

Loaded Load(const std::string& xml) {
  testing::RecordingDiagnostics diagnostics;
  ReverseProfile profile(&diagnostics);
  ComPtr<IXMLDOMDocument> doc = testing::LoadDocument(xml);
  Loaded result;
  result.ok = profile.Load(doc.Get());
  EXPECT_EQ(profile.loaded(), result.ok);
  result.findings = diagnostics.findings;
  for (const auto& pair : profile.table().pairs()) result.pairs.emplace_back(pair.key, pair.value);
  return result;
}

TEST(ReverseProfileTest, Documents) {
  struct Row {
    const char* what;
    std::string xml;
    bool ok;
    std::vector<Finding> findings;
    Pairs pairs;
  };
  const Row rows[] = {
      {"a forward profile is not a reverse profile",
       "<xconverterProfile/>",
       false,
       {Error("expected: xconverterReverseProfile")},
       {}},
      {"a root without tables still loads", Reverse(""), true, {}, {}},
      {"pairs from several tables in order",
       Reverse("<substTable><subst key='a' value='1'/></substTable><!-- c -->"
               "<substTable><?pi?><subst value='2' key='b'/></substTable>"),
       true,
       {},
       {{u"a", u"1"}, {u"b", u"2"}}},
      {"misplaced elements",
       Reverse("<subst key='a' value='1'/><substTable><substTable/><subst key='b' value='2'/>"
               "</substTable>"),
       true,
       {Warning("invalid node: subst"), Warning("invalid node: substTable")},
       {{u"b", u"2"}}},
      {"an unknown attribute does not stop the pair",
       OneTable("<subst key='a' value='1' note='x'/>"),
       true,
       {Warning("invalid attribute: note")},
       {{u"a", u"1"}}},
      {"incomplete pairs",
       OneTable("<subst key='a'/><subst value='1'/><subst key='' value='1'/>"
                "<subst key='a' value=''/>"),
       true,
       {Warning("invalid subst pair"), Warning("invalid subst pair"), Warning("invalid subst pair"),
        Warning("invalid subst pair")},
       {}},
      {"a hex escape in a key",
       OneTable("<subst key='\\x41' value='a'/>"),
       true,
       {},
       {{u"A", u"a"}}},
      {"a hex escape stopped by a character that is not a digit",
       OneTable("<subst key='\\x4G' value='g'/>"),
       true,
       {Warning("invalid hex digit: G")},
       {{u"\u0004G", u"g"}}},
      {"an unknown escape in a value leaves nothing, so the pair adds nothing",
       OneTable("<subst key='q' value='\\q'/>"),
       true,
       {Warning("invalid escape: \\q")},
       {}},
      {"a key that is already there is kept twice",
       OneTable("<subst key='a' value='1'/><subst key='a' value='2'/>"),
       true,
       {},
       {{u"a", u"1"}, {u"a", u"2"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Loaded loaded = Load(row.xml);
    EXPECT_EQ(loaded.ok, row.ok);
    EXPECT_EQ(loaded.findings, row.findings);
    EXPECT_EQ(loaded.pairs, row.pairs);
  }
}

TEST(ReverseProfileTest, LoadingAgainReplacesThePairs) {
  testing::RecordingDiagnostics diagnostics;
  ReverseProfile profile(&diagnostics);
  ComPtr<IXMLDOMDocument> first = testing::LoadDocument(OneTable("<subst key='a' value='1'/>"));
  ComPtr<IXMLDOMDocument> wrong = testing::LoadDocument("<other/>");
  ASSERT_TRUE(profile.Load(first.Get()));
  EXPECT_EQ(profile.table().Apply(u"a"), u"1");
  EXPECT_FALSE(profile.Load(wrong.Get()));
  EXPECT_FALSE(profile.loaded());
  EXPECT_TRUE(profile.table().IsEmpty());
}

TEST(ReverseProfileTest, Escapes) {
  struct Row {
    std::u16string_view text;
    std::u16string_view decoded;
    std::vector<std::string> warnings;
  };
  const Row rows[] = {
      {u"plain", u"plain", {}},
      {u"\\\\", u"\\", {}},
      {u"a\\\\\\\\b", u"a\\\\b", {}},
      {u"\\x41", u"A", {}},
      {u"\\X41", u"A", {}},
      {u"\\x4G", u"\u0004G", {"invalid hex digit: G"}},
      {u"\\xa0", u"\u00A0", {}},
      {u"\\x2026", u"\u2026", {}},
      {u"\\xFFFF", u"\uFFFF", {}},
      {u"\\x00410", u"A0", {}},  // four digits at most
      {u"\\x4", u"\u0004", {}},  // the end of the value ends the number
      {u"\\x0", std::u16string_view(u"\0", 1), {}},
      {u"\\x", u"", {}},
      {u"\\xZ", u"Z", {"invalid hex digit: Z"}},
      // Two digits and then a backslash: the backslash is not a digit.
      {u"\\x41\\x42", u"AB", {"invalid hex digit: \\"}},
      {u"\\x0041\\x0042", u"AB", {}},
      {u"\\q", u"", {"invalid escape: \\q"}},
      {u"a\\", u"a", {"invalid escape: \\"}},
      {u"\\n\\t", u"", {"invalid escape: \\n", "invalid escape: \\t"}},
      {u"\\\U0001F600x", u"x", {"invalid escape: \\\U0001F600"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(ToUtf8(row.text));
    ValueFindings findings;
    EXPECT_EQ(DecodeSubstitutionEscapes(row.text, findings), row.decoded);
    std::vector<std::string> warnings;
    for (const ValueFinding& finding : findings) {
      EXPECT_FALSE(finding.is_error);
      warnings.push_back(ToUtf8(finding.message));
    }
    EXPECT_EQ(warnings, row.warnings);
  }
}

}  // namespace
}  // namespace kpx
