// The x2x batch command line and the run it starts.
#include "x2x/batch_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <limits>
#include <map>
#include <ostream>
#include <thread>

#include "base/utf.h"
#include "x2x/batch_inputs.h"
#include "x2x/batch_memory.h"
#include "x2x/batch_progress.h"
#include "x2x/batch_report.h"
#include "x2x/batch_runner.h"
#include "x2x/host_file_loader.h"
#include "x2x/input_decoding.h"
#include "x2x/operation_table.h"
#include "x2x/status_names.h"
#include "x2x/x2x_command.h"

namespace fs = std::filesystem;

namespace x2x {

namespace {

struct BatchOptions {
  std::string out;
  std::vector<std::string> includes;
  bool allPages = false;
  unsigned jobs = 0;  // 0: the number of cores
  std::string report;
  std::vector<std::string> inputs;
};

// Options that name one page or one output file, which have no meaning over many files.
constexpr OptionSet kNotInBatch = kOptPage | kOptStructure | kOptIds | kOptDumpProject;

constexpr char kFooter[] =
    "Every INPUT file, and every file below an INPUT folder that --include matches, is converted "
    "on its own, its result written to the same relative path below --out (page XML with the "
    "extension .xml, texts with their own). Each file is the template of a page named after it "
    "(its name without the extension): the host file's page of that name, else a new page with "
    "the host's project and options. A file that fails leaves no result and does not stop the "
    "others.\nStandard error: each file's messages prefixed with its path, a progress line when "
    "it is a terminal, then a summary.\nExit status: 0 when every file succeeded, 1 when any "
    "failed, 2 for a usage error.";

bool TakesTextOrPage(const OperationSpec& operation) {
  return operation.input == InputKind::kText || operation.input == InputKind::kXmlDocument ||
         (operation.input == InputKind::kNone && (operation.options & kOptPage));
}

void AddBatchOptions(CLI::App* command, BatchOptions& batch) {
  command->add_option("--out", batch.out, "the folder the results go to (made when missing)")
      ->type_name("DIR")
      ->required();
  command
      ->add_option("--include", batch.includes,
                   "the file names to take from folders, shell patterns separated by spaces "
                   "(may be repeated; default '*.html *.htm *.tpl', ASCII case aside)")
      ->type_name("PATTERN")
      ->allow_extra_args(false);
  command->add_flag("--all-pages", batch.allPages,
                    "every page of the host file (--host) instead of INPUT files");
  command->add_option("--jobs", batch.jobs, "worker threads (default: the number of cores)")
      ->type_name("N")
      ->check(CLI::Range(1u, 1024u));
  command->add_option("--report", batch.report, "where to write a JSON report of every file")
      ->type_name("FILE");
  command->add_option("INPUT", batch.inputs, "files and folders")->type_name("");
}

HostData LoadBatchHost(const CommandOptions& options) {
  if (!options.Given(kOptHost)) {
    std::error_code ec;
    HostData host = EmptyHostData(fs::current_path(ec));
    host.pages.clear();
    return host;
  }
  try {
    return LoadHostFile(options.host);
  } catch (const HostFileError& e) {
    throw UsageError{e.what()};
  }
}

int Run(const OperationSpec& operation, const CommandOptions& options, const BatchOptions& batch,
        Console& console) {
  if (batch.allPages && !options.Given(kOptHost)) throw UsageError{"--all-pages needs --host"};
  if (batch.allPages && !batch.inputs.empty()) {
    throw UsageError{"--all-pages takes no INPUT: the pages of the host file are the inputs"};
  }
  if (!batch.allPages && batch.inputs.empty()) throw UsageError{"INPUT files or folders needed"};
  const auto start = std::chrono::steady_clock::now();

  BatchJob job;
  job.operation = &operation;
  job.options = options;
  job.base = LoadBatchHost(options);
  job.pages = std::move(job.base.pages);
  job.base.pages.clear();
  for (const PageData& page : job.pages) {
    if (page.id < std::numeric_limits<LONG>::max())
      job.nextPageId = std::max(job.nextPageId, page.id + 1);
  }
  job.workers = batch.jobs ? batch.jobs : std::max(1u, std::thread::hardware_concurrency());

  const fs::path out(batch.out);
  const bool xml = GivesXml(operation);  // page XML gets .xml; texts keep their extension
  std::vector<BatchItem> items =
      batch.allPages ? HostPageItems(job.pages, out, xml)
                     : FindInputFiles(batch.inputs, IncludePatterns(batch.includes), out, xml);
  CheckOutputs(items, batch.inputs, out, batch.report);
  std::error_code ec;
  fs::create_directories(out, ec);
  if (!fs::is_directory(out)) {
    throw UsageError{"--out " + batch.out + ": cannot make the folder" +
                     (ec ? ": " + ec.message() : "")};
  }
  std::ofstream report;
  if (!batch.report.empty()) {
    report.open(batch.report, std::ios::binary | std::ios::trunc);
    if (!report) throw UsageError{"--report " + batch.report + ": cannot write the file"};
  }

  std::uintmax_t totalBytes = 0;
  for (const BatchItem& item : items) totalBytes += item.bytes;
  ProgressLine progress(console.err, console.errorIsTerminal, items.size(), totalBytes);
  KeepFreedMemoryForReuse();
  std::vector<ItemOutcome> outcomes = RunBatchItems(
      job, items,
      [&](size_t index, const ItemOutcome& outcome) {
        std::vector<std::string> lines = ItemLines(operation, items[index], outcome);
        if (lines.empty()) return;
        progress.Clear();
        for (const std::string& line : lines) console.err << line << "\n";
      },
      [&](const BatchCounts& counts) { progress.Update(counts); });
  progress.Clear();

  BatchSummary summary{
      std::string(operation.name), batch.out,
      static_cast<unsigned>(std::min<size_t>(job.workers, items.size())),
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count()};
  size_t failed = std::count_if(outcomes.begin(), outcomes.end(),
                                [](const ItemOutcome& outcome) { return !outcome.ok; });
  console.err << SummaryLine(summary, items.size(), failed) << "\n";
  if (report.is_open()) {
    report << BatchReportText(summary, items, outcomes);
    report.close();
    if (!report) {
      console.err << "x2x batch: cannot write the report " << batch.report << "\n";
      return kExitUsage;
    }
  }
  return failed ? kExitFailure : kExitSuccess;
}

}  // namespace

int RunBatch(int argc, const char* const* argv, Console& console) {
  const OperationSpec* named = nullptr;  // the operation of the command line, when it names one
  if (argc > 1 && argv[1][0] != '-') {
    const OperationSpec* operation = named = FindOperation(argv[1]);
    if (!operation) {
      console.err << "x2x batch: unknown operation '" << argv[1]
                  << "' (x2x --list shows the operations)\n";
      return kExitUsage;
    }
    if (!TakesTextOrPage(*operation)) {
      console.err << "x2x batch: " << argv[1]
                  << " takes neither a text nor a page, so it cannot run over files\n";
      return kExitUsage;
    }
  }
  CommandOptions values;
  BatchOptions batch;
  CLI::App app{"Runs one operation over every input file, on several threads.", "x2x batch"};
  app.require_subcommand(0, 1);
  app.footer(
      "Usage: x2x batch OPERATION [OPTIONS] --out DIR INPUT...; x2x batch OPERATION --help "
      "describes one.");
  std::map<const CLI::App*, BoundOptions> bound;
  // Only the operation named, if any: the command line of one takes a third of a millisecond to
  // build, and a batch of small files feels every serial step.
  for (const OperationSpec& operation : Operations()) {
    if (!TakesTextOrPage(operation) || (named && named != &operation)) continue;
    CLI::App* command =
        app.add_subcommand(std::string(operation.name), std::string(operation.summary));
    bound[command] = AddOptions(command, operation.options & ~kNotInBatch, values);
    if (CLI::Option* host = command->get_option_no_throw("--host")) {
      host->description(
          "the host file (docs/host-file.md): its options, project, and the pages the files are "
          "named after; without it an empty host");
    }
    if (CLI::Option* answer = command->get_option_no_throw("--answer")) {
      answer->description(
          "the answer to the switch-to-design question (default no: a batch "
          "never asks)");
    }
    AddBatchOptions(command, batch);
    command->footer(kFooter);
  }
  if (const std::optional<int> status = ParseCommandLine(app, argc, argv, "x2x batch", console)) {
    return *status;
  }
  std::vector<CLI::App*> chosen = app.get_subcommands();
  if (chosen.empty()) {
    console.err << "x2x batch: an operation is needed: x2x batch OPERATION [OPTIONS] --out DIR "
                   "INPUT...\n";
    return kExitUsage;
  }
  values.given = GivenOptions(bound[chosen.front()]);
  try {
    return Run(*FindOperation(chosen.front()->get_name()), values, batch, console);
  } catch (const UsageError& e) {
    console.err << "x2x batch: " << e.message << "\n";
    return kExitUsage;
  }
}

}  // namespace x2x
