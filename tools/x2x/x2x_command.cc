// The command line, built from the operation and tool tables with CLI11.
#include "x2x/x2x_command.h"

#include <CLI/CLI.hpp>

#include <iomanip>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

#include "x2x/batch_command.h"
#include "x2x/operation_runner.h"
#include "x2x/operation_table.h"
#include "x2x/table_arguments.h"
#include "x2x/tool_table.h"

namespace x2x {

namespace {

constexpr Option kAllOptions[] = {
    kOptHost,         kOptPage,    kOptComponent, kOptNoInitialize, kOptPublish,     kOptMeta,
    kOptPath,         kOptCursor,  kOptStructure, kOptWarnings,     kOptProfile,     kOptTarget,
    kOptStylesheet,   kOptOp,      kOptSelect,    kOptTable,        kOptOpex,        kOptSource,
    kOptCols,         kOptRows,    kOptAnswer,    kOptIds,          kOptMode,        kOptPipeline,
    kOptPreserveCase, kOptReverse, kOptDefine,    kOptRules,        kOptDumpProject,
};

CLI::Option* AddOption(CLI::App* command, Option option, CommandOptions& o) {
  auto value = [command](const char* name, auto& target, const char* type, std::string help) {
    return command->add_option(name, target, std::move(help))->type_name(type);
  };
  switch (option) {
    case kOptHost:
      return value("--host", o.host, "FILE",
                   "the host file (docs/host-file.md); without it an empty host with one empty "
                   "page");
    case kOptPage:
      return value("--page", o.page, "NAME", "the page (default: the first page)");
    case kOptComponent:
      return value("--component", o.component, "ID",
                   "the page's component passed as pParent (default: the page)");
    case kOptNoInitialize:
      return command->add_flag("--no-initialize", o.noInitialize,
                               "do not call initialize with the host first");
    case kOptPublish:
      return command->add_flag("--publish", o.publish, "call setPublishMode(true) first");
    case kOptMeta:
      return value("--meta", o.meta, "TEXT", "the META tag to insert");
    case kOptPath:
      return value("--path", o.path, "P", "the path to resolve against");
    case kOptCursor:
      return value("--cursor", o.cursor, "N", "the cursor position (default -1: no current block)");
    case kOptStructure:
      return value("--structure", o.structure, "FILE", "where to write the block structure");
    case kOptWarnings:
      return command->add_flag("--warnings", o.warnings, "produceWarnings true");
    case kOptProfile:
      return value("--profile", o.profile, "FILE", "the converter profile");
    case kOptTarget:
      return value("--target", o.target, "MODE", "the profile mode (default design)");
    case kOptStylesheet:
      return value("--stylesheet", o.stylesheet, "FILE", "the XSLT stylesheet");
    case kOptOp:
      return value("--op", o.op, "CODE|NAME", "one of " + TableOperationNames())->required();
    case kOptSelect:
      return value("--select", o.select, "SPEC",
                   "cells:R.C[,R.C...], text:R.C-R.C or caret:R.C (row index and cell index "
                   "within the row, from 0, in table --table)");
    case kOptTable:
      return value("--table", o.table, "N", "the table, 0 for the first (default 0)")
          ->check(CLI::NonNegativeNumber);
    case kOptOpex:
      return value("--opex", o.opex, "CODE|NAME",
                   "one of " + TableOperationExNames() + " (default opexSmartSpan)");
    case kOptSource:
      return value("--source", o.source, "R.C", "the source cell (default: the table itself)");
    case kOptCols:
      return value("--cols", o.cols, "N", "the number of columns (varIn1; empty when not given)");
    case kOptRows:
      return value("--rows", o.rows, "N", "the number of rows (varIn2; empty when not given)");
    case kOptAnswer:
      return value("--answer", o.answer, "yes|no",
                   "the answer to the switch-to-design question (default: asked on the terminal "
                   "when standard input is one, else no)")
          ->check(CLI::IsMember({"yes", "no"}));
    case kOptIds:
      return value("--ids", o.ids, "FILE", "where to write the component identifiers");
    case kOptMode:
      return value("--mode", o.mode, "html|xml|xhtml", "the cleaner's output (default html)")
          ->check(CLI::IsMember({"html", "xml", "xhtml"}));
    case kOptPipeline:
      return command->add_flag("--pipeline", o.pipeline,
                               "turn on the switches the conversion pipeline sets "
                               "(omit implicit form, textarea, anchor fixing)");
    case kOptPreserveCase:
      return command->add_flag("--preserve-case", o.preserveCase,
                               "keep tag names in the case they were written");
    case kOptReverse:
      return command->add_flag("--reverse", o.reverse,
                               "read a reverse converter profile (root xconverterReverseProfile)");
    case kOptDefine:
      return value("--define", o.defines, "SYMBOL",
                   "define a symbol for the profile's if elements (may be repeated)")
          ->allow_extra_args(false);  // one symbol per --define, so INPUT may follow it
    case kOptRules:
      return command->add_flag("--rules", o.listRules, "list every rule of each mode");
    case kOptDumpProject:
      return command->add_flag("--dump-project", o.dumpProject,
                               "after the run, list the host project's values on standard error "
                               "(project: NAME=VALUE), with what the library wrote");
  }
  return nullptr;
}

std::string InputHelp(InputKind input) {
  switch (input) {
    case InputKind::kNone:
      return "";
    case InputKind::kText:
      return "the operation's main text: a file, or - or nothing for standard input; UTF-8 (a "
             "byte-order mark is skipped), or UTF-16 after a UTF-16 byte-order mark";
    case InputKind::kXmlDocument:
      return "the XML document: a file, or - or nothing for standard input";
    case InputKind::kHtmlDocument:
      return "the editor's HTML document: a file, or - or nothing for standard input; UTF-8, or "
             "UTF-16 after a UTF-16 byte-order mark";
  }
  return "";
}

std::string OperationFooter(const OperationSpec& op) {
  std::string footer = "Arguments: " + std::string(op.arguments) + "\n";
  footer += "Standard output: " + std::string(op.output) + " (nothing on a failure status)\n";
  footer += "Standard error: the host's messages (info:, warning:, error:), ";
  if (op.setsErrors) footer += "the error text of getErrors (errors:), ";
  footer += "then 'x2x: " + std::string(op.name) +
            " returned NAME (0xHHHHHHHH)'.\nExit status: 0 for S_OK or S_FALSE, 1 for a failure "
            "status, 2 "
            "for a usage error or a file that cannot be read.";
  return footer;
}

CLI::App* AddCommand(CLI::App& app, std::string_view name, std::string_view summary,
                     InputKind input, OptionSet options, CommandOptions& values,
                     std::map<const CLI::App*, BoundOptions>& bound) {
  CLI::App* command = app.add_subcommand(std::string(name), std::string(summary));
  bound[command] = AddOptions(command, options, values);
  if (input != InputKind::kNone) {
    command->add_option("INPUT", values.input, InputHelp(input))->type_name("");
  }
  return command;
}

}  // namespace

BoundOptions AddOptions(CLI::App* command, OptionSet options, CommandOptions& values) {
  BoundOptions bound;
  for (Option option : kAllOptions) {
    if (options & option) bound.emplace_back(option, AddOption(command, option, values));
  }
  return bound;
}

OptionSet GivenOptions(const BoundOptions& bound) {
  OptionSet given = 0;
  for (const auto& [option, cliOption] : bound) {
    if (cliOption && cliOption->count() > 0) given |= option;
  }
  return given;
}

void WriteOperationList(std::ostream& out) {
  for (const OperationSpec& op : Operations()) {
    out << std::left << std::setw(34) << op.name << op.summary << "\n";
  }
  for (const ToolSpec& tool : Tools()) {
    out << std::left << std::setw(34) << tool.name << tool.summary << "\n";
  }
  out << std::left << std::setw(34) << "batch" << kBatchSummary << "\n";
}

std::optional<int> ParseCommandLine(CLI::App& app, int argc, const char* const* argv,
                                    std::string_view who, Console& console) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    app.exit(e, console.out, console.err);
    return kExitSuccess;
  } catch (const CLI::ParseError& e) {
    console.err << who << ": " << e.what() << "\n";
    return kExitUsage;
  }
  return std::nullopt;
}

int RunX2x(int argc, const char* const* argv, Console& console) {
  if (argc > 1 && std::string_view(argv[1]) == "batch")
    return RunBatch(argc - 1, argv + 1, console);
  if (argc > 1 && argv[1][0] != '-' && !FindOperation(argv[1]) && !FindTool(argv[1])) {
    console.err << "x2x: unknown operation '" << argv[1]
                << "' (x2x --list shows the operations and tools)\n";
    return kExitUsage;
  }
  CommandOptions values;
  CLI::App app{
      "Runs the converter's operations through its interface, with a fixture host described by "
      "a host file.",
      "x2x"};
  bool list = false;
  app.add_flag("--list", list, "list the operations in function-table order, then the tools");
  app.require_subcommand(0, 1);
  app.footer(
      "Usage: x2x OPERATION [OPTIONS] [INPUT]; x2x OPERATION --help describes one.\n"
      "       x2x batch OPERATION [OPTIONS] --out DIR INPUT...: one operation over many files "
      "(x2x batch --help).");
  std::map<const CLI::App*, BoundOptions> bound;
  for (const OperationSpec& op : Operations()) {
    AddCommand(app, op.name, op.summary, op.input, op.options, values, bound)
        ->footer(OperationFooter(op));
  }
  for (const ToolSpec& tool : Tools()) {
    AddCommand(app, tool.name, tool.summary, tool.input, tool.options, values, bound)
        ->footer(std::string(tool.help));
  }

  if (const std::optional<int> status = ParseCommandLine(app, argc, argv, "x2x", console)) {
    return *status;
  }
  if (list) {
    WriteOperationList(console.out);
    return kExitSuccess;
  }
  std::vector<CLI::App*> chosen = app.get_subcommands();
  if (chosen.empty()) {
    console.err << "x2x: an operation is needed: x2x OPERATION [OPTIONS] [INPUT] "
                   "(x2x --list shows them)\n";
    return kExitUsage;
  }
  values.given = GivenOptions(bound[chosen.front()]);
  std::string name = chosen.front()->get_name();
  try {
    if (const OperationSpec* op = FindOperation(name)) return RunOperation(*op, values, console);
    return FindTool(name)->run(values, console);
  } catch (const std::exception& e) {
    console.err << "x2x: " << e.what() << "\n";
    return kExitFailure;
  }
}

}  // namespace x2x
