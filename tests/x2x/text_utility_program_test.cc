// The whole-page text utilities through the x2x program: each reached by name with its options,
// its result on standard output, its status line, and its exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/program_runner.h"

namespace {

using kpx::testing::ProgramRun;

class TextUtilityProgramTest : public kpx::testing::X2xProgramRunner {};

const std::string kXhtmlDoctype =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n";

TEST_F(TextUtilityProgramTest, RunsEachUtility) {
  struct Row {
    std::vector<std::string> args;  // the page file is added last (or "-" for standard input)
    std::string page;
    std::string out;
    std::string status;  // the status line's status
  };
  const Row rows[] = {
      {{"makeExtensible"},
       "<HTML><BODY><P>caf\xC3\xA9<BR></P></BODY></HTML>",
       kXhtmlDoctype + "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>caf\xC3\xA9<br />"
                       "</p></body></html>",
       "S_FALSE (0x00000001)"},
      {{"makeExtensible", "--publish"},
       "<!DOCTYPE html><html><body><meta name=a>x</body></html>",
       "<!DOCTYPE html><html xmlns=\"http://www.w3.org/1999/xhtml\"><body>x</body></html>",
       "S_FALSE (0x00000001)"},
      {{"insertMETA", "--meta", "<meta name=\"robots\" content=\"noindex\">"},
       "<html>\n<head>\n<title>t</title></head></html>",
       "<html>\n<head>\n<meta name=\"robots\" content=\"noindex\"><title>t</title></head></html>",
       "S_OK (0x00000000)"},
      {{"resolvePaths", "--path", "http://host/app"},
       "<img src=\"img/a.gif\"><a href=\"/abs\">x</a>",
       "<img src=\"http://host/app/img/a.gif\"><a href=\"/abs\">x</a>",
       "S_OK (0x00000000)"},
      {{"resolvePaths"}, "<img src=\"a.gif\">", "", "S_FALSE (0x00000001)"},
      {{"balance"},
       "<html><head><title>t</title><p>x</p></body></html>",
       "<html><head><title>t</title></head><body><p>x</p></body></html>",
       "S_FALSE (0x00000001)"},
      {{"maskDoctype"},
       "<!DOCTYPE html>\n<html>",
       "<!KPSDOCTYPE html>\n<html>",
       "S_OK (0x00000000)"},
      {{"unmaskDoctype"},
       "<!DOCTYPE html><!KPSDOCTYPE html PUBLIC \"x\">",
       "<!DOCTYPE html PUBLIC \"x\">",
       "S_OK (0x00000000)"},
      {{"prepareDoctypeForSection508"},
       "<!DOCTYPE html>\r\n<html>",
       "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
       "\"http://www.w3.org/TR/html4/loose.dtd\">\r\n<html>",
       "S_FALSE (0x00000001)"},
      {{"moveBodyTags"},
       "<head></head><body><p>x</body>",
       "<head><p><body></head>x</body>",
       "S_FALSE (0x00000001)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args[0] + (row.args.size() > 1 ? " " + row.args[1] : ""));
    std::vector<std::string> args = row.args;
    args.push_back(File("page.html", row.page));
    ProgramRun run = X2x(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, row.out);
    EXPECT_EQ(run.err, "x2x: " + row.args[0] + " returned " + row.status + "\n");
    // The same through standard input.
    args.back() = "-";
    EXPECT_EQ(X2x(args, row.page).out, row.out);
  }
}

TEST_F(TextUtilityProgramTest, MakeExtensibleRefusesAnEmptyPage) {
  ProgramRun run = X2x({"makeExtensible", File("empty.html", "")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "x2x: makeExtensible returned E_INVALIDARG (0x80070057)\n");
}

TEST_F(TextUtilityProgramTest, MaskAndUnmaskInAPipeGiveThePageBack) {
  const std::string page =
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\">\r\n"
      "<html><body>{Name} <% x %></body></html>";
  ProgramRun masked = X2x({"maskDoctype", "-"}, page);
  ASSERT_EQ(masked.status, 0) << masked.err;
  EXPECT_NE(masked.out, page);
  ProgramRun unmasked = X2x({"unmaskDoctype", "-"}, masked.out);
  EXPECT_EQ(unmasked.out, page);
}

}  // namespace
