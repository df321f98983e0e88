// What `x2x clean` runs.
#include "cleaner/clean_tool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf.h"

namespace kpx {
namespace {

TEST(CleanToolTest, OptionsSelectModeAndSwitches) {
  const std::u16string page = u"<body><Input name=\"q\"><a name=\"x\">A</a></body>";
  const struct {
    const char* name;
    CleanToolOptions options;
    const char* expected;
  } rows[] = {
      {"plain html",
       {CleanerMode::kHtml, false, false},
       "<form><input name=\"q\"><a name=\"x\" id=\"x\">A</a></form>"},
      {"pipeline", {CleanerMode::kHtml, true, false}, "<input name=\"q\"><a name=\"x\">A</a>"},
      {"pipeline and case",
       {CleanerMode::kHtml, true, true},
       "<Input name=\"q\"><a name=\"x\">A</a>"},
      {"xml", {CleanerMode::kXml, true, false}, "<INPUT NAME=\"q\" />\n<A NAME=\"x\">A</A>"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::u16string output;
    std::vector<std::u16string> messages;
    EXPECT_EQ(RunCleanTool(row.options, page, &output, &messages), 0);
    EXPECT_NE(ToUtf8(output).find(row.expected), std::string::npos) << ToUtf8(output);
    ASSERT_FALSE(messages.empty());
    for (const std::u16string& line : messages) {
      EXPECT_FALSE(line.empty());
      EXPECT_EQ(line.find(u'\n'), std::u16string::npos);
    }
  }
}

TEST(CleanToolTest, ModeNames) {
  EXPECT_EQ(ParseCleanerMode("html"), CleanerMode::kHtml);
  EXPECT_EQ(ParseCleanerMode("xml"), CleanerMode::kXml);
  EXPECT_EQ(ParseCleanerMode("xhtml"), CleanerMode::kXhtml);
  EXPECT_EQ(ParseCleanerMode("HTML"), std::nullopt);
  EXPECT_EQ(ParseCleanerMode(""), std::nullopt);
}

}  // namespace
}  // namespace kpx
