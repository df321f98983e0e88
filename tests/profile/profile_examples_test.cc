// The example profiles load without findings, and the forward one shows every element, attribute
// and value of the format, so that it stays a complete example.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "profile/converter_profile.h"
#include "profile/profile_loader.h"
#include "profile/reverse_profile.h"
#include "profile_test_support.h"

namespace kpx {
namespace {

const std::string kForward = KPX_SOURCE_DIR "/examples/profiles/ForwardProfile.xml";
const std::string kReverse = KPX_SOURCE_DIR "/examples/profiles/ReverseProfile.xml";

TEST(ProfileExamplesTest, ForwardProfileLoadsCleanlyAndUsesTheWholeFormat) {
  ComPtr<IXMLDOMDocument> doc = testing::LoadDocument(testing::ReadFile(kForward));
  for (bool included : {false, true}) {
    SCOPED_TRACE(included ? "includeablePage defined" : "nothing defined");
    testing::RecordingDiagnostics diagnostics;
    ConverterProfile profile(&diagnostics);
    if (included) profile.Define(u"includeablePage");
    ASSERT_TRUE(ProfileLoader::Load(doc.Get(), profile));
    EXPECT_EQ(diagnostics.findings, std::vector<testing::Finding>{});

    std::set<std::u16string> modes;
    for (const auto& mode : profile.modes()) modes.insert(mode->name());
    EXPECT_EQ(modes, (std::set<std::u16string>{u"default", u"design", u"generation", u"sync"}));

    std::set<RuleKind> kinds;
    std::set<DomainType> domains;
    std::set<OutputKind> outputs;
    std::set<Balance> balances;
    std::set<ReplacePosition> positions;
    std::set<NameListState> name_states;
    uint32_t options = 0;
    bool closable = false, flags = false, restricts = false, prefixes = false, tag_domain = false;
    for (const auto& mode : profile.modes()) {
      restricts |= !mode->restrict_entries.empty();
      prefixes |= mode->resource_prefixes.IsSet();
      tag_domain |= mode->tag_domain_names.IsSet();
      for (const ProfileRule* rule : mode->rules()) {
        kinds.insert(rule->kind);
        domains.insert(rule->domain_type);
        outputs.insert(rule->output.kind);
        balances.insert(rule->balance);
        name_states.insert(rule->names.state());
        options |= rule->output.options;
        closable |= rule->closable;
        flags |= !rule->flags.names().empty();
        for (const ReplaceEntry& entry : rule->replacements) positions.insert(entry.position);
      }
    }
    EXPECT_EQ(kinds.size(), 7u);
    EXPECT_EQ(domains.size(), 12u);
    EXPECT_EQ(outputs, (std::set<OutputKind>{OutputKind::kNone, OutputKind::kText, OutputKind::kXml,
                                             OutputKind::kRip, OutputKind::kError}));
    EXPECT_EQ(balances.size(), 5u);  // unset and the four values
    EXPECT_EQ(positions.size(), 3u);
    EXPECT_EQ(options, 0x47Fu);
    EXPECT_TRUE(name_states.contains(NameListState::kListed));
    EXPECT_TRUE(name_states.contains(NameListState::kAny));
    EXPECT_TRUE(closable && flags && restricts && prefixes && tag_domain);

    // The "if" elements pick different rules with and without the symbol.
    const ProfileMode* design = profile.FindMode(u"design");
    ASSERT_NE(design, nullptr);
    const ProfileRule* last = design->rules().back();
    EXPECT_EQ(last->output.kind, included ? OutputKind::kRip : OutputKind::kXml);
  }
}

TEST(ProfileExamplesTest, ReverseProfileLoadsCleanlyWithItsEscapesDecoded) {
  ComPtr<IXMLDOMDocument> doc = testing::LoadDocument(testing::ReadFile(kReverse));
  testing::RecordingDiagnostics diagnostics;
  ReverseProfile profile(&diagnostics);
  ASSERT_TRUE(profile.Load(doc.Get()));
  EXPECT_TRUE(profile.loaded());
  EXPECT_EQ(diagnostics.findings, std::vector<testing::Finding>{});
  EXPECT_EQ(profile.table().Apply(u"A\u00A0B \u00A9 2024\u2026 <img src=\"..\\images\\x.png\">"
                                  u" ..\\up"),
            u"A&nbsp;B &copy; 2024&hellip; <img src=\"../images/x.png\"> ../up");
}

}  // namespace
}  // namespace kpx
