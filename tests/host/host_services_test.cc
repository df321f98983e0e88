// Host services: options, the message path with its suppression, positional messages, the switch
// question, and host texts that are never used as printf formats.
#include <gtest/gtest.h>

#include "host/host_services.h"
#include "host/host_text_format.h"
#include "support/fake_host.h"

namespace {

using kpx::HostServices;
using kpx::testing::FakeApplication;
using kpx::testing::FakePage;
using kpx::testing::HostRecord;

TEST(HostTextFormatTest, OnlyPercentSAndPercentPercentAreReplaced) {
  struct Row {
    const char* name;
    std::u16string_view text;
    std::u16string expected;
  };
  const Row rows[] = {
      {"two strings", u"Block %s closed by %s", u"Block Grid closed by Record"},
      {"percent percent", u"100%% of %s", u"100% of Grid"},
      {"printf numbers stay", u"%d at %08x: %s %n", u"%d at %08x: Grid %n"},
      {"more %s than args", u"%s %s %s", u"Grid Record "},
      {"trailing percent", u"50%", u"50%"},
      {"no arguments used", u"plain", u"plain"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(kpx::FormatHostText(row.text, {u"Grid", u"Record"}, 1023), row.expected);
  }
}

TEST(HostTextFormatTest, ResultIsBoundedWithoutSplittingAPair) {
  std::u16string big(2000, u'x');
  EXPECT_EQ(kpx::FormatHostText(u"%s", {big}, 1023).size(), 1023u);
  std::u16string pairs = u"ab\U0001F600";  // a, b, then a surrogate pair
  EXPECT_EQ(kpx::FormatHostText(pairs, {}, 3), u"ab");
}

TEST(HostServicesTest, NoApplicationDropsMessagesAndKeepsDefaults) {
  HostServices none(nullptr);
  EXPECT_FALSE(none.ReadOption(kpx::kSectionFormatting, u"ConverterVerbosityLevel"));
  EXPECT_FALSE(none.Localize(u"Button_Yes"));
  none.DeliverMessage(MessageError, u"lost");  // nothing to crash on
  EXPECT_FALSE(none.AskSwitchToDesign(nullptr));
}

TEST(HostServicesTest, OptionsReadAndWrite) {
  HostRecord record;
  record.options[{u"HTMLFormatting", u"ConverterProfile"}] = u"design.xml";
  ComPtr<FakeApplication> app = kpx::MakeCom<FakeApplication>(&record);
  HostServices host(app.Get());
  EXPECT_EQ(host.ReadOption(u"HTMLFormatting", u"ConverterProfile"), u"design.xml");
  EXPECT_FALSE(host.ReadOption(u"HTMLFormatting", u"Missing"));
  host.WriteOption(u"HTMLEditor", u"SwitchToDesignOnError", u"never");
  EXPECT_EQ(host.ReadOption(u"HTMLEditor", u"SwitchToDesignOnError"), u"never");
  record.has_options = false;
  EXPECT_FALSE(host.ReadOption(u"HTMLFormatting", u"ConverterProfile"));
}

TEST(HostServicesTest, ShowSyncDlgSuppressesEveryMessage) {
  struct Row {
    const char* name;
    std::u16string setting;
    bool delivered;
  };
  const Row rows[] = {{"empty", u"", true}, {"any text", u"no", false}, {"upper", u"X", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HostRecord record;
    record.settings[u"showSyncDlg"] = row.setting;
    ComPtr<FakeApplication> app = kpx::MakeCom<FakeApplication>(&record);
    HostServices(app.Get()).DeliverMessage(MessageWarning, u"hello");
    EXPECT_EQ(record.messages.size(), row.delivered ? 1u : 0u);
  }
}

TEST(HostServicesTest, PositionMessageUsesLocalizedTextsAndKind) {
  HostRecord record;
  record.texts[u"XX_Duplicate_Component"] = u"Component %s is duplicated (%d)";
  record.texts[u"KPProject_Synchronize_Pos"] = u"at line %s, column %s";
  ComPtr<FakeApplication> app = kpx::MakeCom<FakeApplication>(&record);
  HostServices host(app.Get());
  host.DeliverPositionMessage(u"XX_Duplicate_Component", false, 12, 5, {u"Orders"});
  host.DeliverPositionMessage(u"XX_Unknown_Key", true, 1, 2, {u"x"});
  ASSERT_EQ(record.messages.size(), 2u);
  EXPECT_EQ(record.messages[0].first, MessageWarning);
  EXPECT_EQ(record.messages[0].second, u"Component Orders is duplicated (%d) at line 12, column 5");
  EXPECT_EQ(record.messages[1].first, MessageError);
  EXPECT_EQ(record.messages[1].second, u"XX_Unknown_Key at line 1, column 2");
}

TEST(HostServicesTest, SwitchQuestionPresetsAndAnswers) {
  struct Row {
    const char* name;
    const char16_t* preset;  // null: option not set
    bool answer_yes;
    bool remember;
    bool expected;
    int asked;
    const char16_t* stored;  // the option afterwards
  };
  const Row rows[] = {
      {"always", u"always", false, false, true, 0, u"always"},
      {"never", u"never", true, false, false, 0, u"never"},
      {"ask: yes", nullptr, true, false, true, 1, nullptr},
      {"ask: no", u"sometimes", false, false, false, 1, u"sometimes"},
      {"ask: yes, remember", nullptr, true, true, true, 1, u"always"},
      {"ask: no, remember", nullptr, false, true, false, 1, u"never"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HostRecord record;
    if (row.preset) record.options[{u"HTMLEditor", u"SwitchToDesignOnError"}] = row.preset;
    record.answer_yes = row.answer_yes;
    record.answer_remember = row.remember;
    record.texts[u"Button_Yes"] = u"Ja";
    ComPtr<FakeApplication> app = kpx::MakeCom<FakeApplication>(&record);
    ComPtr<FakePage> page = kpx::MakeCom<FakePage>(&record, u"");
    HostServices host(app.Get());
    EXPECT_EQ(host.AskSwitchToDesign(static_cast<HostPageModel*>(page.Get())), row.expected);
    EXPECT_EQ(record.questions_asked, row.asked);
    auto stored = host.ReadOption(u"HTMLEditor", u"SwitchToDesignOnError");
    if (row.stored) {
      EXPECT_EQ(stored, row.stored);
    } else {
      EXPECT_FALSE(stored);
    }
    if (row.asked) {
      ASSERT_EQ(record.question_texts.size(), 5u);
      EXPECT_EQ(record.question_texts[0], u"XX_AskUserSwitchToDMCaption");  // missing: the key
      EXPECT_EQ(record.question_texts[2], u"Ja");
    }
  }
}

}  // namespace
