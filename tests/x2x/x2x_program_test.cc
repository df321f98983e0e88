// The x2x program end to end: its standard output, standard error and exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/program_runner.h"
#include "x2x/operation_table.h"

namespace {

using kpx::testing::ProgramRun;

class X2xProgramTest : public kpx::testing::X2xProgramRunner {};

const std::string kHostFile = KPX_SOURCE_DIR "/examples/host.xml";
const std::string kPage = KPX_SOURCE_DIR "/examples/pages/OrdersList.html";

TEST_F(X2xProgramTest, ListsTheOperationsInTableOrderThenTheTools) {
  const std::vector<std::string> expected = {"convert",
                                             "convertWithTidy",
                                             "convertCustom",
                                             "getErrors",
                                             "convertWithDOM",
                                             "backTransformation",
                                             "backTransformationWithDOM",
                                             "convertSingletonWithDOM",
                                             "partialBackTransformationWithDOM",
                                             "convertCustomWithDOM",
                                             "performTableOperation",
                                             "parse",
                                             "convertForGeneration",
                                             "forwardTransformationWithDOM",
                                             "makeExtensible",
                                             "convertForPreview",
                                             "insertMETA",
                                             "convertRawWithDOM",
                                             "performTableOperationEx",
                                             "resolvePaths",
                                             "initialize",
                                             "performServiceXSLT",
                                             "convertUsingProfile",
                                             "convertForGeneration2",
                                             "prepareDoctypeForSection508",
                                             "setPublishMode",
                                             "balance",
                                             "maskDoctype",
                                             "unmaskDoctype",
                                             "moveBodyTags",
                                             "register",
                                             "unregister",
                                             "registry",
                                             "clean",
                                             "profile-check",
                                             "table-grid",
                                             "batch"};
  ProgramRun run = X2x({"--list"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  std::istringstream lines(run.out);
  std::vector<std::string> names;
  for (std::string line; std::getline(lines, line);)
    names.push_back(line.substr(0, line.find(' ')));
  EXPECT_EQ(names, expected);
}

TEST_F(X2xProgramTest, BackTransformsAFragmentAndWritesItsIdentifiers) {
  const std::string host = File("host.xml",
                                "<host><page id=\"1\" name=\"P\">"
                                "<component id=\"3\" name=\"G\" type=\"Grid\" container=\"true\">"
                                "<component id=\"4\" name=\"L\" type=\"Label\"/>"
                                "<component id=\"5\" name=\"M\" type=\"Label\"/>"
                                "</component></page></host>");
  const std::string ids = File("ids.txt", "stale");
  ProgramRun run =
      X2x({"partialBackTransformationWithDOM", "--host", host, "--component", "3", "--ids", ids,
           File("part.html",
                "<b kpsServiceable=\"true\" kpsId=\"3\" isBegin=\"true\">"
                "<i kpsServiceable=\"true\" name=\"M\">m</i>"
                "<i kpsServiceable=\"true\" kpsId=\"4\">l</i>")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "<Grid id=\"3\" name=\"G\"><Label id=\"5\" name=\"M\"><![CDATA[<i "
            "kpsserviceable=\"true\" name=\"M\">m</i>]]></Label><Label id=\"4\" name=\"L\">"
            "<![CDATA[<i kpsserviceable=\"true\" kpsid=\"4\">l</i>]]></Label></Grid>\n");
  EXPECT_EQ(Read(ids), "3\n5\n4\n");
  run = X2x({"partialBackTransformationWithDOM", "--host", host, "--ids", ids,
             File("two.html", "<p>a</p>")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Read(ids), "");
  // Two elements without a root do not load: no document, no collection, no file.
  const std::string absent = ids + ".absent";
  run = X2x({"partialBackTransformationWithDOM", "--host", host, "--component", "3", "--ids",
             absent, File("two.html", "<p>a</p>")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(absent));
}

// Every operation goes through the interface and ends with the status line; the exit status and
// standard output follow the status, whatever the library answers today.
TEST_F(X2xProgramTest, EveryOperationEndsWithTheStatusLine) {
  std::string html = File("page.html", "<html><head></head><body><p>{x}</p></body></html>");
  std::string xml = File("doc.xml", "<doc/>");
  int operations = 0;
  for (const x2x::OperationSpec& op : x2x::Operations()) {
    ++operations;
    std::string name(op.name);
    SCOPED_TRACE(name);
    std::vector<std::string> args{name, "--host", kHostFile};
    if (op.input == x2x::InputKind::kXmlDocument) args.push_back(xml);
    if (op.input == x2x::InputKind::kText || op.input == x2x::InputKind::kHtmlDocument) {
      args.push_back(html);
    }
    if (op.options & x2x::kOptOp) args.insert(args.end(), {"--op", "opInsertRow"});
    ProgramRun run = X2x(args);
    std::smatch match;
    std::string last = run.LastErrLine();
    ASSERT_TRUE(std::regex_match(
        last, match, std::regex("x2x: " + name + " returned ([A-Z_]+) \\(0x([0-9A-F]{8})\\)")))
        << run.err;
    bool success = match[2] == "00000000" || match[2] == "00000001";
    EXPECT_EQ(run.status, success ? 0 : 1);
    if (!success) {
      EXPECT_EQ(run.out, "");
    }
  }
  EXPECT_EQ(operations, 30);
}

TEST_F(X2xProgramTest, RunsTheFrameOperationsAndTools) {
  struct Row {
    std::vector<std::string> args;
    std::string lastLine;  // a pattern
  };
  const Row rows[] = {
      {{"initialize", "--host", kHostFile}, "x2x: initialize returned S_OK \\(0x00000000\\)"},
      {{"getErrors"}, "x2x: getErrors returned S_FALSE \\(0x00000001\\)"},
      {{"setPublishMode", "--publish"}, "x2x: setPublishMode returned S_OK \\(0x00000000\\)"},
      {{"register"}, "x2x: register returned [A-Z_]+ \\(0x[0-9A-F]{8}\\)"},
      {{"unregister"}, "x2x: unregister returned [A-Z_]+ \\(0x[0-9A-F]{8}\\)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args[0]);
    ProgramRun run = X2x(row.args);
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(run.ErrLines().size(), 1u) << run.err;
    EXPECT_TRUE(std::regex_match(run.LastErrLine(), std::regex(row.lastLine))) << run.err;
    bool success = run.err.find("(0x0000000") != std::string::npos;
    EXPECT_EQ(run.status, success ? 0 : 1);
  }
}

TEST_F(X2xProgramTest, RegistryShowsWhatRegisterWrote) {
  ASSERT_EQ(X2x({"register"}).status, 0);
  ProgramRun run = X2x({"registry"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("  CLSID\n    {b0810e30-de6d-48ca-a90b-14e5481822d9}\n"
                         "      (default) = \"XH2XConverter Class\""),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("ThreadingModel = \"Apartment\""), std::string::npos);
  ASSERT_EQ(X2x({"unregister"}).status, 0);
  EXPECT_EQ(X2x({"registry"}).out.find("{b0810e30"), std::string::npos);
  // A damaged store is named and left alone.
  File("registry.xml", "<registry>");
  run = X2x({"registry"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("registry.xml"), std::string::npos) << run.err;
  EXPECT_EQ(X2x({"register"}).status, 1);
}

TEST_F(X2xProgramTest, CleanRunsTheCleanerAlone) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string present;
    std::string absent;
  };
  const std::string page = File("form.html", "<html><body><input name=q><p>x</body></html>");
  const Row rows[] = {
      {"plain html", {"clean", page}, "<input name=\"q\">", "</P>"},
      {"xml output", {"clean", "--mode", "xml", page}, "<INPUT NAME=\"q\"", "<input"},
      {"pipeline: no inferred form", {"clean", "--pipeline", page}, "<input", "<form"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ProgramRun run = X2x(row.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(row.present), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(row.absent), std::string::npos) << run.out;
    for (const std::string& line : run.ErrLines()) EXPECT_EQ(line.rfind("info: ", 0), 0u) << line;
  }
  EXPECT_EQ(X2x({"clean", "--mode", "pdf", page}).status, 2);
}

TEST_F(X2xProgramTest, RefusesBadUsageWithStatusTwo) {
  std::string page = File("page.html", "x");
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    std::string message;  // the start of standard error
  };
  const Row rows[] = {
      {"no operation", {}, "", "x2x: an operation is needed"},
      {"unknown operation",
       {"convertEverything", page},
       "",
       "x2x: unknown operation 'convertEverything'"},
      {"missing file",
       {"balance", "/nonexistent/page.html"},
       "",
       "x2x: cannot read /nonexistent/page.html: No such file or directory"},
      {"invalid UTF-8",
       {"balance", "-"},
       "ab\xC3",
       "x2x: standard input: invalid UTF-8 at byte offset 2"},
      {"odd UTF-16",
       {"maskDoctype"},
       std::string("\xFF\xFE<\0p", 5),
       "x2x: standard input: UTF-16 input has an odd number of bytes (5)"},
      {"option of another operation", {"balance", "--meta", "x", page}, "", "x2x: "},
      {"input to an operation without one", {"convert", page}, "", "x2x: "},
      {"two inputs", {"balance", page, page}, "", "x2x: "},
      {"missing --op", {"performTableOperation", page}, "", "x2x: --op is required"},
      {"unknown --op",
       {"performTableOperation", "--op", "opFly", page},
       "",
       "x2x: --op: unknown table operation 'opFly'"},
      {"bad --select",
       {"performTableOperation", "--op", "9", "--select", "cells:1", page},
       "",
       "x2x: --select: bad selection 'cells:1': cells:R.C[,R.C...] expected"},
      {"bad --source",
       {"performTableOperationEx", "--source", "a.b", page},
       "",
       "x2x: --source: bad cell 'a.b' (R.C expected)"},
      {"bad --answer", {"convert", "--answer", "maybe"}, "", "x2x: --answer: "},
      {"missing host file",
       {"balance", "--host", "/nonexistent/host.xml", page},
       "",
       "x2x: cannot read host file /nonexistent/host.xml: No such file or directory"},
      {"unknown page",
       {"convert", "--host", kHostFile, "--page", "Nope"},
       "",
       "x2x: the host has no page named 'Nope' (its pages: OrdersList, Header)"},
      {"unknown component",
       {"convertCustomWithDOM", "--host", kHostFile, "--component", "99", page},
       "",
       "x2x: page 'OrdersList' has no component with the identifier 99"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ProgramRun run = X2x(row.args, row.input);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, row.message.size()), row.message) << run.err;
  }
}

TEST_F(X2xProgramTest, NamesTheLineAndColumnOfABrokenHostFile) {
  std::string host = File("host.xml",
                          "<host>\n  <page id='1' name='P'>\n    <component id='x' name='A' "
                          "type='Grid'/>\n  </page>\n</host>\n");
  ProgramRun run = X2x({"convert", "--host", host});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "x2x: " + host +
                         ":3:5: bad number 'x' in attribute 'id' of <component> (a whole number is "
                         "expected)\n");
}

TEST_F(X2xProgramTest, AcceptsEveryInputEncoding) {
  struct Row {
    const char* name;
    std::string bytes;
  };
  const Row rows[] = {
      {"UTF-8", "<p>\xC3\xA9</p>"},
      {"UTF-8 with mark", "\xEF\xBB\xBF<p>"},
      {"UTF-16LE", std::string("\xFF\xFE<\0p\0>\0", 8)},
      {"UTF-16BE", std::string("\xFE\xFF\0<\0p\0>", 8)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ProgramRun viaFile = X2x({"unmaskDoctype", File("in.html", row.bytes)});
    EXPECT_EQ(viaFile.LastErrLine().rfind("x2x: unmaskDoctype returned ", 0), 0u) << viaFile.err;
    EXPECT_NE(viaFile.status, 2);
    ProgramRun viaStdin = X2x({"unmaskDoctype", "-"}, row.bytes);
    EXPECT_EQ(viaStdin.err, viaFile.err);
    EXPECT_EQ(viaStdin.status, viaFile.status);
  }
}

TEST_F(X2xProgramTest, LeavesOutputFilesAloneOnAFailureStatus) {
  std::string structure = File("structure.txt", "keep me");
  ProgramRun run =
      X2x({"convertForGeneration2", "--host", kHostFile, "--structure", structure, kPage});
  if (run.status == 1) {
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Read(structure), "keep me");
  } else {
    EXPECT_EQ(run.status, 0) << run.err;
  }
}

TEST_F(X2xProgramTest, RunsTheForwardPipelineOperations) {
  const std::string grid = File("grid.html", "<!-- BEGIN Grid Orders -->x<!-- END Grid Orders -->");
  const std::string structure = File("structure.xml", "");
  struct Row {
    std::vector<std::string> args;
    std::string out;  // a part of standard output
    std::string err;  // a part of standard error
  };
  const Row rows[] = {
      {{"forwardTransformationWithDOM", "--host", kHostFile, "--answer", "no",
        File("sync.html", "<!-- END Grid A --><!-- BEGIN Grid Orders --><!-- END Grid Orders -->")},
       "",
       "returned E_ABORT"},
      {{"convertForPreview", "--host", kHostFile, "--dump-project",
        File("preview.html", "<p class=\"{KPS_Style}\">x</p>")},
       "<p class=\"Basic\" kpsDynamicStyle=\"{KPS_Style}\">x</p>",
       "project: _defaultStyle=Basic\n"},
      {{"convertForGeneration2", "--host", kHostFile, "--cursor", "27", "--structure", structure,
        grid},
       "<Grid",
       "returned S_OK"},
  };
  for (const Row& row : rows) {
    ProgramRun run = X2x(row.args);
    EXPECT_NE(run.out.find(row.out), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
  }
  EXPECT_NE(Read(structure).find("kpsCurrentBlock=\"true\""), std::string::npos);
}

TEST_F(X2xProgramTest, DescribesOneOperation) {
  ProgramRun run = X2x({"partialBackTransformationWithDOM", "--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* part : {"Usage: x2x partialBackTransformationWithDOM [OPTIONS] [INPUT]",
                           "--component ID", "--ids FILE", "--host FILE", "Arguments: pParent",
                           "Standard output: the xml of the returned document"}) {
    EXPECT_NE(run.out.find(part), std::string::npos) << part << "\n" << run.out;
  }
  EXPECT_EQ(run.out.find("--meta"), std::string::npos) << "only the options it reads";
}

}  // namespace
