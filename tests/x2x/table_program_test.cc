// Table editing through the x2x program: the two table operations on a document file (its
// selection, table and source options, the document written back to standard output), and the
// table-grid tool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/program_runner.h"

namespace {

using kpx::testing::ProgramRun;

class TableProgramTest : public kpx::testing::X2xProgramRunner {};

const std::string kPage =
    "<html><body><h1>Orders</h1>\n"
    "<table id=first><tr><td>keep</td></tr></table>\n"
    "<table border=1>\n"
    "<tr><td>a</td><td class=b>b</td></tr>\n"
    "<tr><td>c</td><td>d</td></tr>\n"
    "</table>\n"
    "</body></html>\n";

TEST_F(TableProgramTest, RunsTheTableOperationsOnADocumentFile) {
  struct Row {
    const char* name;
    std::vector<std::string> args;  // the page file is added last
    std::string out;
    std::string status;  // the status line
    int exit;
  };
  const Row rows[] = {
      {"insert a column left of the caret",
       {"performTableOperation", "--op", "opInsertColumn", "--table", "1", "--select", "caret:0.1"},
       "<html><body><h1>Orders</h1>\n"
       "<table id=first><tr><td>keep</td></tr></table>\n"
       "<table border=1>\n"
       "<tr><td>a</td><TD class=\"b\"></TD><td class=b>b</td></tr>\n"
       "<tr><td>c</td><TD></TD><td>d</td></tr>\n"
       "</table>\n"
       "</body></html>\n",
       "x2x: performTableOperation returned S_OK (0x00000000)",
       0},
      {"merge two cells, the code given as a number",
       {"performTableOperation", "--op", "9", "--table", "1", "--select", "cells:0.0,1.0"},
       "<html><body><h1>Orders</h1>\n"
       "<table id=first><tr><td>keep</td></tr></table>\n"
       "<table border=1>\n"
       "<tr><TD rowspan=\"2\">ac</td><td class=b>b</td></tr>\n"
       "<tr><td>d</td></tr>\n"
       "</table>\n"
       "</body></html>\n",
       "x2x: performTableOperation returned S_OK (0x00000000)",
       0},
      {"two cells for insert column",
       {"performTableOperation", "--op", "InsertColumn", "--table", "1", "--select",
        "cells:0.0,1.1"},
       "",
       "x2x: performTableOperation returned E_FAIL (0x80004005)",
       1},
      {"a code that is not offered",
       {"performTableOperation", "--op", "opSplitCellVertically", "--select", "caret:0.0"},
       "",
       "x2x: performTableOperation returned E_NOTIMPL (0x80004001)",
       1},
      {"smart span from a cell",
       {"performTableOperationEx", "--source", "0.0", "--cols", "2", "--rows", "1", "--table", "1"},
       "<html><body><h1>Orders</h1>\n"
       "<table id=first><tr><td>keep</td></tr></table>\n"
       "<table border=1>\n"
       "<tr><TD colspan=\"2\">ab</td></tr>\n"
       "<tr><td>c</td><td>d</td></tr>\n"
       "</table>\n"
       "</body></html>\n",
       "x2x: performTableOperationEx returned S_OK (0x00000000)",
       0},
      {"smart span with nothing to merge gives the document back",
       {"performTableOperationEx", "--source", "0.0", "--cols", "1", "--rows", "1"},
       kPage,
       "x2x: performTableOperationEx returned S_FALSE (0x00000001)",
       0},
      {"smart span on the table itself",
       {"performTableOperationEx", "--cols", "2", "--rows", "2", "--table", "1"},
       "",
       "x2x: performTableOperationEx returned E_INVALIDARG (0x80070057)",
       1},
  };
  const std::string page = File("page.html", kPage);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> args = row.args;
    args.push_back(page);
    ProgramRun run = X2x(args);
    EXPECT_EQ(run.out, row.out);
    EXPECT_EQ(run.LastErrLine(), row.status) << run.err;
    EXPECT_EQ(run.status, row.exit);
  }
}

TEST_F(TableProgramTest, RefusesSelectionsOutsideTheDocument) {
  struct Row {
    std::vector<std::string> args;
    std::string message;
  };
  const Row rows[] = {
      {{"performTableOperation", "--op", "1", "--table", "5", "--select", "caret:0.0"},
       "x2x: the document has no table 5 (it has 2)\n"},
      {{"performTableOperation", "--op", "1", "--table", "1", "--select", "cells:0.0,7.1"},
       "x2x: --select: the table has no cell 7.1\n"},
      {{"performTableOperationEx", "--source", "3.0", "--cols", "1", "--rows", "1"},
       "x2x: --source: the table has no cell 3.0\n"},
      {{"table-grid", "--table", "2"}, "x2x: the document has no table 2 (it has 2)\n"},
  };
  const std::string page = File("page.html", kPage);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args[0] + " " + row.message);
    std::vector<std::string> args = row.args;
    args.push_back(page);
    ProgramRun run = X2x(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, row.message);
  }
}

TEST_F(TableProgramTest, DrawsTheGridOfATable) {
  const std::string page =
      File("grid.html",
           "<table><tr><th colspan=2>Name</th></tr><tr><td rowspan=2>A</td><td isBegin=true>x</td>"
           "</tr><tr><td>y</td></tr><tr kpsServiceable=true><td colspan=2>{b}</td></tr></table>");
  ProgramRun run = X2x({"table-grid", page});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string picture =
      "table 0: 4 rows, 2 columns\n"
      "     0        1\n"
      "    +--------+--------+\n"
      "0   | 0.0 c2   <      |\n"
      "    | TH              |\n"
      "    | Name            |\n"
      "    +--------+--------+\n"
      "1   | 1.0 r2 | 1.1    |\n"
      "    |        | locked |\n"
      "    | A      | x      |\n"
      "    +        +--------+\n"
      "2   | ^      | 2.0    |\n"
      "    |        |        |\n"
      "    |        | y      |\n"
      "    +--------+--------+\n"
      "S   | serviceable row |\n"
      "    |                 |\n"
      "    |                 |\n"
      "    +--------+--------+\n";
  EXPECT_EQ(run.out.substr(0, picture.size()), picture);
}

TEST_F(TableProgramTest, DrawsTheTableAnOperationWroteBack) {
  const std::string page = File("page.html", kPage);
  ProgramRun edited = X2x({"performTableOperation", "--op", "opMergeCells", "--table", "1",
                           "--select", "cells:0.0,0.1", page});
  ASSERT_EQ(edited.status, 0) << edited.err;
  ProgramRun grid = X2x({"table-grid", "--table", "1", "-"}, edited.out);
  EXPECT_EQ(grid.status, 0) << grid.err;
  EXPECT_NE(grid.out.find("table 1: 2 rows, 2 columns\n"), std::string::npos) << grid.out;
  EXPECT_NE(grid.out.find("| 0.0 c2   <      |"), std::string::npos) << grid.out;

  ProgramRun invalid =
      X2x({"table-grid",
           File("bad.html", "<table><tr><td>a<td rowspan=2>b<tr><td colspan=3>c</table>")});
  EXPECT_EQ(invalid.status, 1);
  EXPECT_NE(invalid.out.find("invalid table"), std::string::npos);
  EXPECT_EQ(invalid.LastErrLine(),
            "x2x: table-grid: invalid table: cells overlap or do not cover their slots");
}

}  // namespace
