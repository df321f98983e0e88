// The cleaner beside bare libtidy on every corpus page: the same configuration and the same
// UTF-16 bytes, parsed, cleaned and saved by libtidy alone (its own time), and then by the
// cleaner as x2x clean runs it (a new instance, its switches, the page in and out as UTF-16, its
// reports), plain, with the pipeline's switches, and with those and preserve-case. What the
// cleaner adds is the difference. Pages that are not UTF-8 are read as Latin-1.
//
// "libtidy+allocator" is the bare run with the cleaner's allocator, so that what the cleaner's own
// steps cost shows apart from what its allocator saves.
//
// The deepest page (special-case-evil, 65,000 levels) takes libtidy about ten seconds a run:
// filter it out (--benchmark_filter=-evil) for a quick look at the rest. Compare the _min rows.
//
// Figures (December 2026, a shared 2-core machine under heavy load, so single pages vary by tens of
// percent from run to run; instruction counts from callgrind, which load does not move): before,
// the cleaner took 10-16% more CPU than bare libtidy on node-api-all, nearly all of it from the
// header its allocator put before every block (a quarter more memory for the tree, and cache
// misses in clean-and-repair); with the size-class pool that replaced it, the page lent to libtidy
// instead of copied, the output printed into the caller's string and the options set by number,
// the cleaner runs in at most 2.0% more instructions than bare libtidy on every page counted (all
// but special-case-evil; 2.6% with the pipeline's switches) and in 10% fewer on the median page.
// In CPU time node-api-all takes 667 ms against libtidy's 749 (634 with the cleaner's allocator),
// special-case-evil 12.0 s against 14.2 s (12.1 s).
#include <benchmark/benchmark.h>
#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/utf.h"
#include "cleaner/clean_tool.h"
#include "cleaner/cleaner_options.h"
#include "cleaner/tidy_allocator.h"

namespace {

struct Page {
  std::string name;
  std::u16string text;
  std::string tidy_input;  // the UTF-16LE bytes libtidy is given
};

std::string TidyInput(std::u16string_view text) {
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    // The cleaner hands a lone CR to libtidy as LF.
    if (unit == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')) unit = u'\n';
    bytes[2 * i] = static_cast<char>(unit & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::vector<Page> CorpusPages() {
  std::vector<Page> pages;
  const std::filesystem::path corpus(KPX_CORPUS_DIR);
  std::error_code error;
  for (const char* folder : {"pages", "tidy-cases"}) {
    for (const auto& entry : std::filesystem::directory_iterator(corpus / folder, error)) {
      if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes(std::istreambuf_iterator<char>(in), {});
      Page page{std::string(folder) + "/" + entry.path().filename().string(), {}, {}};
      if (kpx::FindInvalidUtf8(bytes)) {
        page.text.assign(bytes.begin(), bytes.end());
      } else {
        page.text = kpx::ToUtf16(bytes);
      }
      page.tidy_input = TidyInput(page.text);
      pages.push_back(std::move(page));
    }
  }
  std::sort(pages.begin(), pages.end(),
            [](const Page& a, const Page& b) { return a.name < b.name; });
  return pages;
}

// libtidy alone: a document configured as the cleaner configures one (HTML mode), the page,
// parse, clean and repair, save, release; with the C library's allocator, or with the cleaner's.
void BareTidy(benchmark::State& state, const Page& page, bool cleaner_allocator) {
  for (auto _ : state) {
    std::optional<kpx::TidyDocumentAllocator> allocator;
    if (cleaner_allocator) allocator.emplace();
    TidyDoc doc = allocator ? tidyCreateWithAllocator(allocator->get()) : tidyCreate();
    TidyBuffer messages;
    TidyBuffer output;
    TidyBuffer input;
    tidyBufInit(&messages);
    tidyBufInit(&output);
    tidyBufInit(&input);
    tidySetErrorBuffer(doc, &messages);
    for (const kpx::TidySetting& setting : kpx::StandardCleanerSettings()) {
      tidyOptParseValue(doc, setting.name, setting.value);
    }
    for (const kpx::TidySetting& setting : kpx::CleanerModeSettings(kpx::CleanerMode::kHtml)) {
      tidyOptParseValue(doc, setting.name, setting.value);
    }
    tidyBufAttach(&input, reinterpret_cast<byte*>(const_cast<char*>(page.tidy_input.data())),
                  static_cast<uint>(page.tidy_input.size()));
    tidyParseBuffer(doc, &input);
    tidyBufDetach(&input);
    tidyCleanAndRepair(doc);
    tidySaveBuffer(doc, &output);
    benchmark::DoNotOptimize(output.bp);
    tidyBufFree(&output);
    tidyBufFree(&messages);
    tidyRelease(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.tidy_input.size() / 2));
}

enum Setup { kPlain, kPipeline, kPipelineAndCase };

void Cleaner(benchmark::State& state, const Page& page, Setup setup) {
  kpx::CleanToolOptions options;
  options.pipeline = setup != kPlain;
  options.preserve_case = setup == kPipelineAndCase;
  std::u16string output;
  std::vector<std::u16string> messages;
  for (auto _ : state) {
    if (kpx::RunCleanTool(options, page.text, &output, &messages) != 0)
      state.SkipWithError("the cleaner failed");
    benchmark::DoNotOptimize(output.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.text.size()));
}

void Register(const std::vector<Page>& pages) {
  for (const Page& page : pages) {
    // A run of the deepest page takes seconds; one iteration is enough to see its share.
    const bool slow = page.text.size() > 400000 && page.name.find("evil") != std::string::npos;
    auto add = [&](const std::string& name, auto function, auto... args) {
      auto* b = benchmark::RegisterBenchmark((name + "/" + page.name).c_str(), function,
                                             std::cref(page), args...);
      b->Unit(benchmark::kMillisecond);
      if (slow) {
        b->Iterations(1);
      } else {
        // The fastest of three runs: on a shared machine the others measure the neighbours.
        b->MinTime(0.03)->Repetitions(3)->ReportAggregatesOnly(true)->ComputeStatistics(
            "min",
            [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
      }
    };
    add("libtidy", BareTidy, false);
    add("libtidy+allocator", BareTidy, true);
    add("cleaner", Cleaner, kPlain);
    add("cleaner pipeline", Cleaner, kPipeline);
    add("cleaner pipeline+case", Cleaner, kPipelineAndCase);
  }
}

}  // namespace

int main(int argc, char** argv) {
  static const std::vector<Page> pages = CorpusPages();
  Register(pages);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
