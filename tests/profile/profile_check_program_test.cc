// x2x profile-check end to end: the example profiles, a broken profile, a reverse profile read
// as a forward one, and files that are not profiles at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/program_runner.h"

namespace {

using kpx::testing::ProgramRun;

const std::string kForward = KPX_SOURCE_DIR "/examples/profiles/ForwardProfile.xml";
const std::string kReverse = KPX_SOURCE_DIR "/examples/profiles/ReverseProfile.xml";

class ProfileCheckProgramTest : public kpx::testing::X2xProgramRunner {
 protected:
  // Runs x2x profile-check with the arguments; standard input from the given bytes.
  ProgramRun ProfileCheck(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), "profile-check");
    return X2x(std::move(args), input);
  }
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(ProfileCheckProgramTest, ExampleProfilesLoadWithoutFindings) {
  struct Row {
    std::vector<std::string> args;
    std::vector<std::string> shown;  // parts of the summary
  };
  const Row rows[] = {
      {{kForward},
       {"Converter profile: " + kForward + "\n", "Defined symbols: none\n", "Findings: none\n",
        "Modes: 4 (default, design, generation, sync)\n", "Mode \"default\": 20 rules\n",
        "  resource prefixes:    res; url\n", "  tag-domain names:     td; th\n",
        "Mode \"design\": 8 rules\n", "Mode \"generation\": 1 rule\n"}},
      // Each --define takes one symbol, so the file may follow it.
      {{"--rules", "--define", "x", "--define", "includeablePage", kForward},
       {"Defined symbols: x, includeablePage\n", "    8. html:tag html; head; body: output rip\n",
        "    5. html:tag b in embraced domain Label; Link; ImageLink: output xml:simulate, replace "
        "prefix \"<b>\" with \"<strong>\", replace suffix \"</b>\" with \"</strong>\"\n"}},
      {{"--reverse", kReverse},
       {"Reverse converter profile: " + kReverse + "\n", "Findings: none\n",
        "Substitutions: 9 pairs, keys of 1 to 10 code units\n", "  U+00A0        ->  \"&nbsp;\"\n",
        "  \"..\\images\\\"  ->  \"../images/\"\n"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.back());
    ProgramRun run = ProfileCheck(row.args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const std::string& part : row.shown) EXPECT_TRUE(Has(run.out, part)) << part << run.out;
  }
}

TEST_F(ProfileCheckProgramTest, ABrokenProfileShowsEachFindingAndWhereItIs) {
  const std::string broken =
      File("broken.xml",
           "<xconverterProfile xmlns:html='urn:h' xmlns:kps='urn:k'>\n"
           "  <mode target='design'>\n"
           "    <html:tag name='h1;h2' output='XML'/>\n"
           "    <html:tag name='!(td;th' output='text'><flag name='x'/></html:tag>\n"
           "    <html:restrict><tag name='a' attr='href'/></html:restrict>\n"
           "  </mode>\n"
           "  <modes/>\n"
           "</xconverterProfile>\n");
  ProgramRun run = ProfileCheck({"--rules", broken});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "error: Converter profile loading error: invalid attribute value: 'XML'\n"
            "warning: Converter profile loading error: expected ')' in the attribute value: "
            "'!(td;th'\n"
            "warning: Converter profile loading error: node must have no children: html:tag\n"
            "warning: Converter profile loading error: invalid node: html:restrict\n"
            "error: Converter profile loading error: expected: mode\n");
  EXPECT_TRUE(Has(run.out,
                  "Findings: 2 errors, 3 warnings (on standard error), at:\n"
                  "  error   /xconverterProfile/mode[target=\"design\"]/html:tag[name=\"h1;h2\"]: "
                  "invalid attribute value: 'XML'\n"))
      << run.out;
  EXPECT_TRUE(Has(run.out,
                  "  warning /xconverterProfile/mode[target=\"design\"]/html:restrict: "
                  "invalid node: html:restrict\n"));
  EXPECT_TRUE(Has(run.out, "  error   /xconverterProfile/modes: expected: mode\n"));
  EXPECT_TRUE(Has(run.out, "There is no mode \"default\""));
  EXPECT_TRUE(Has(run.out, "    1. html:tag h: output unset\n"));
  EXPECT_TRUE(Has(run.out, "    2. html:tag all but td; th: output text\n"));
}

TEST_F(ProfileCheckProgramTest, FlagNamesThatAreNoXmlNamesAreShown) {
  const std::string flags = File("flags.xml",
                                 "<xconverterProfile xmlns:html='urn:h'><mode target='default'>"
                                 "<html:tag name='b' output='xml'><flag name='kpsOk'/>"
                                 "<flag name='1 bad'/></html:tag></mode></xconverterProfile>");
  ProgramRun run = ProfileCheck({flags});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "warning: flag name is no XML name, page XML leaves it out: 1 bad\n");
  EXPECT_TRUE(Has(run.out, "  warning mode \"default\": flag name is no XML name"));
}

TEST_F(ProfileCheckProgramTest, AWrongRootFailsTheCheck) {
  struct Row {
    std::vector<std::string> args;
    std::string err;
    std::vector<std::string> shown;
  };
  const Row rows[] = {
      {{kReverse},
       "error: Converter profile loading error: expected: xconverterProfile\n",
       {"Not loaded: the root element is <xconverterReverseProfile>, not <xconverterProfile>.\n",
        "check it with --reverse"}},
      {{"--reverse", kForward},
       "error: Reverse converter profile loading error: expected: xconverterReverseProfile\n",
       {"Not loaded: the root element is <xconverterProfile>, not <xconverterReverseProfile>.\n",
        "check it without --reverse"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.err);
    ProgramRun run = ProfileCheck(row.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, row.err);
    for (const std::string& part : row.shown) EXPECT_TRUE(Has(run.out, part)) << run.out;
  }
}

TEST_F(ProfileCheckProgramTest, ReverseFindingsAndStandardInput) {
  ProgramRun run =
      ProfileCheck({"--reverse", "-"},
                   "<xconverterReverseProfile><substTable>"
                   "<subst key='\\x4G' value='g'/><subst key='a' value='\\q'/>"
                   "<subst key='\\x2026' value='...'/><subst key='\\x2026' value='--'/>"
                   "</substTable></xconverterReverseProfile>");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "warning: Reverse converter profile loading error: invalid hex digit: G\n"
            "warning: Reverse converter profile loading error: invalid escape: \\q\n");
  EXPECT_TRUE(Has(run.out, "Reverse converter profile: standard input\n"));
  EXPECT_TRUE(Has(run.out, "  U+0004 \"G\"  ->  \"g\"\n")) << run.out;
  EXPECT_TRUE(Has(run.out,
                  "  \"\u2026\"         ->  \"--\"  (never used: an earlier pair has the "
                  "same key)\n"))
      << run.out;
}

TEST_F(ProfileCheckProgramTest, FilesThatAreNotProfiles) {
  struct Row {
    std::vector<std::string> args;
    std::string input;
    std::string err_start;
  };
  const Row rows[] = {
      {{(std::filesystem::temp_directory_path() / "no-such-profile.xml").string()},
       "",
       "x2x: cannot read "},
      {{"-"}, "<xconverterProfile><mode></xconverterProfile>", "x2x: standard input:1:"},
      {{"--define", "a", "--bogus", kForward}, "", "x2x: "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.err_start);
    ProgramRun run = ProfileCheck(row.args, row.input);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(row.err_start, 0), 0u) << run.err;
  }
}

}  // namespace
