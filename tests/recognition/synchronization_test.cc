// Synchronization: the positional messages, the parse errors and the out-of-sync handling.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wrestrict"  // GCC 12 false positives in string concatenation
#endif
#include <gtest/gtest.h>

#include "forward/profile_selection.h"
#include "recognition/recognition_test_support.h"

namespace kpx::testing {
namespace {

const char* const kComponents =
    "<component id=\"3\" name=\"Orders\" type=\"Grid\" container=\"true\"/>"
    "<component id=\"7\" name=\"Edit\" type=\"Record\" container=\"true\">"
    "  <component id=\"5\" name=\"Details\" type=\"Panel\" container=\"true\"/>"
    "</component>";

// The messages less the profile selection's note that no profile is configured.
std::vector<std::string> Positional(std::vector<std::string> messages) {
  std::erase(messages, "no converter profile specified");
  return messages;
}

// parse("[kps_sync]" + text) with warnings: the messages the host received.
std::vector<std::string> SyncMessages(const std::string& text, int verbosity = 2) {
  Recognizer recognizer({kComponents, "", "", verbosity, ""});
  Bstr input(ToUtf16("[kps_sync]" + text));
  EXPECT_EQ(recognizer.Converter()->parse(input.Get(), recognizer.Page(), VARIANT_TRUE), S_OK);
  return Positional(recognizer.Messages());
}

TEST(SynchronizationTest, PositionalMessages) {
  struct Row {
    const char* text;
    std::vector<std::string> messages;
  };
  const Row rows[] = {
      {"<!-- BEGIN Grid Orders --><!-- END Grid Orders -->\n<!-- BEGIN Grid orders -->"
       "<!-- END Grid orders -->",
       {"XX_Duplicate_Component(orders|) @2:1"}},
      {"x\r\n\r<!-- END Grid Orders -->",
       {"KPProject_Synchronize_SBlockNotFound(Grid|Orders) @3:1"}},
      {"<!-- BEGIN Record Edit -->\n <!-- END Grid Orders -->",
       {"KPProject_Synchronize_SBlockInsideBlockNotFound(Grid Orders|Edit) @2:2",
        "KPProject_Synchronize_EBlockNotFound(Record|Edit) @1:1"}},
      {"<!-- BEGIN Grid Orders -->x", {"KPProject_Synchronize_EBlockNotFound(Grid|Orders) @1:1"}},
      {"<!-- BEGIN Record Edit --><!-- BEGIN Panel Details --><!-- END Record Edit -->",
       {"KPProject_Synchronize_EBlockInsideBlockNotFound(Details|Edit) @1:55"}},
      {"<!-- BEGIN Section S --><!-- END Record Edit -->",
       {"KPProject_Synchronize_SBlockInsideBlockNotFound(Record Edit|S Section) @1:25",
        "KPProject_Synchronize_EBlockNotFound(Section|S) @1:1"}},
      {"<div><span></div>", {"XX_CloseTagsMismatch(span|div) @1:12"}},
      {"<div><!-- BEGIN Grid Orders --></DIV><!-- END Grid Orders --></div>",
       {"XX_UnOpenedTagAfterContainerBegin(DIV|Orders) @1:32"}},
      {"<!-- BEGIN Grid Orders -->\n  <Div><!-- END Grid Orders -->",
       {"XX_UnClosedTagBeforeContainerEnd(Div|Orders) @2:3"}},
      {"<td class=\"a\"class=\"b\">", {"XX_MissedSpaceBetweenAttributes(|) @1:14"}},
      {"<p>balanced</p><br><table><tr><td>x</table>", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(SyncMessages(row.text), row.messages);
  }
  // Warnings need verbosity 2.
  EXPECT_TRUE(SyncMessages("<div><span></div>", 1).empty());
}

TEST(SynchronizationTest, ParseWithoutTheMarkerReportsNothingAndKeepsTheErrorText) {
  Recognizer recognizer({kComponents, "", "", 2, ""});
  recognizer.Convert("<!-- BEGIN -->");
  EXPECT_EQ(recognizer.Errors(), "4 ('invalid template block syntax') near 000000\n");
  Bstr input(u"<div><span></div><!-- END Grid Orders -->");
  EXPECT_EQ(recognizer.Converter()->parse(input.Get(), recognizer.Page(), VARIANT_TRUE), S_OK);
  EXPECT_TRUE(Positional(recognizer.Messages()).empty());
  EXPECT_EQ(recognizer.Errors(), "4 ('invalid template block syntax') near 000000\n");
}

TEST(SynchronizationTest, ParseErrorsBecomeTheErrorText) {
  Recognizer recognizer({kComponents, "", "", 2, ""});
  recognizer.Convert("ab<!-- END Grid Orders --><!-- BEGIN -->\n<a<b>\n<!-- open");
  EXPECT_EQ(recognizer.Errors(),
            "5 ('template end block mismatch') near 000002\n"
            "4 ('invalid template block syntax') near 00001a\n"
            "6 ('invalid tag') near 000029\n"
            "3 ('invalid html') near 00002f\n");
  recognizer.Convert("clean");
  EXPECT_EQ(recognizer.Errors(), "");
}

TEST(SynchronizationTest, OutOfSyncAbortsOrAsksOnce) {
  Recognizer recognizer({kComponents, "", "", 2, ""});
  ConverterContext context;
  context.verbosity_level = 2;
  const std::u16string text =
      u"<!-- END Grid A --><!-- BEGIN Grid Orders --><!-- END Grid Orders -->"
      u"<!-- BEGIN Grid Orders --><!-- END Grid Orders -->";
  struct Row {
    uint32_t flags;
    bool aborted;
  };
  for (const Row& row : {Row{0, false}, Row{0x10, true}, Row{0x30, true}, Row{0x02, false}}) {
    SCOPED_TRACE(row.flags);
    auto tree = RecognizeBuiltIn(context, recognizer.Page(), text, row.flags);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->Aborted(), row.aborted);
  }
}

}  // namespace
}  // namespace kpx::testing
