// The small parts of x2x's command line: status names, standard error lines, table arguments.
#include <gtest/gtest.h>

#include <sstream>

#include "x2x/run_report.h"
#include "x2x/status_names.h"
#include "x2x/table_arguments.h"
#include "x2x/terminal_prompt.h"

namespace x2x {
namespace {

TEST(StatusNamesTest, NamesTheStatusesOfTheContract) {
  struct Row {
    HRESULT status;
    const char* described;
  };
  const Row rows[] = {
      {S_OK, "S_OK (0x00000000)"},
      {S_FALSE, "S_FALSE (0x00000001)"},
      {E_NOTIMPL, "E_NOTIMPL (0x80004001)"},
      {E_FAIL, "E_FAIL (0x80004005)"},
      {E_INVALIDARG, "E_INVALIDARG (0x80070057)"},
      {E_POINTER, "E_POINTER (0x80004003)"},
      {E_ABORT, "E_ABORT (0x80004004)"},
      {E_OUTOFMEMORY, "E_OUTOFMEMORY (0x8007000E)"},
      {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE (0x80040111)"},
      {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG (0x80040154)"},
      {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH (0x80020005)"},
      {static_cast<HRESULT>(0x8007FFFFu), "HRESULT (0x8007FFFF)"},
      {2, "HRESULT (0x00000002)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.described);
    EXPECT_EQ(DescribeStatus(row.status), row.described);
  }
}

TEST(RunReportTest, WritesMessagesThenErrorsThenNotesThenTheStatus) {
  RunReport report;
  report.SetErrors(
      u"3 ('invalid html') near 00001a\n9 ('panic: component not found') near 0000ff\n");
  report.AddNote("x2x: a note");
  std::vector<HostMessage> messages = {{MessageInfo, u"cleaned"},
                                       {MessageWarning, u"line one\r\nline two\n"},
                                       {MessageError, u"bad é"},
                                       {7, u"odd kind"}};
  std::ostringstream err;
  report.Write(err, messages, "convertWithDOM", E_ABORT);
  EXPECT_EQ(err.str(),
            "info: cleaned\n"
            "warning: line one\\nline two\n"
            "error: bad é\n"
            "message 7: odd kind\n"
            "errors: 3 ('invalid html') near 00001a\n"
            "errors: 9 ('panic: component not found') near 0000ff\n"
            "x2x: a note\n"
            "x2x: convertWithDOM returned E_ABORT (0x80004004)\n");
}

TEST(TableArgumentsTest, ReadsOperationCodesByNumberOrName) {
  struct Row {
    const char* text;
    std::optional<LONG> code;
  };
  const Row rows[] = {
      {"9", 9},
      {"opMergeCells", 9},
      {"MergeCells", 9},
      {"mergecells", 9},
      {"OPSPLITCELL", 18},
      {"-1", -1},
      {"99", 99},
      {"opFly", std::nullopt},
      {"", std::nullopt},
      {"9x", std::nullopt},
      {"op", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParseTableOperation(row.text), row.code);
  }
  EXPECT_EQ(ParseTableOperationEx("SmartSpan"), 1);
  EXPECT_EQ(ParseTableOperationEx("opexDebug"), 0);
  EXPECT_EQ(ParseTableOperationEx("MergeCells"), std::nullopt);
}

TEST(TableArgumentsTest, ReadsSelections) {
  using Kind = TableSelection::Kind;
  struct Row {
    const char* spec;
    bool ok;
    Kind kind;
    std::vector<CellRef> cells;
  };
  const Row rows[] = {
      {"caret:1.2", true, Kind::kCaret, {{1, 2}}},
      {"cells:0.0,0.1,2.0", true, Kind::kCells, {{0, 0}, {0, 1}, {2, 0}}},
      {"text:0.1-2.0", true, Kind::kText, {{0, 1}, {2, 0}}},
      {"cells:", false, Kind::kCells, {}},
      {"cells:1.1,", false, Kind::kCells, {}},
      {"caret:1", false, Kind::kCaret, {}},
      {"caret:-1.0", false, Kind::kCaret, {}},
      {"caret:+1.0", false, Kind::kCaret, {}},
      {"text:0.1", false, Kind::kText, {}},
      {"box:1.1", false, Kind::kCaret, {}},
      {"1.1", false, Kind::kCaret, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.spec);
    std::string error;
    auto selection = ParseSelection(row.spec, &error);
    ASSERT_EQ(selection.has_value(), row.ok) << error;
    if (!row.ok) {
      EXPECT_NE(error.find(row.spec), std::string::npos);
      continue;
    }
    EXPECT_EQ(selection->kind, row.kind);
    EXPECT_EQ(selection->cells, row.cells);
  }
}

TEST(TerminalPromptTest, ReadsTheAnswerWords) {
  struct Row {
    const char* line;
    bool yes;
    bool dontShowAgain;
  };
  const Row rows[] = {
      {"y\n", true, false},       {"Yes\n", true, false}, {"always\n", true, true},
      {" NEVER \n", false, true}, {"n\n", false, false},  {"\n", false, false},
      {"yess\n", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    SwitchAnswer answer = ReadSwitchAnswer(row.line);
    EXPECT_EQ(answer.yes, row.yes);
    EXPECT_EQ(answer.dontShowAgain, row.dontShowAgain);
  }
}

}  // namespace
}  // namespace x2x
