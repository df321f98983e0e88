// Time of the cleaner on the largest example page, with and without the extension switches'
// mechanisms, so that the share they add shows.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "base/utf.h"
#include "cleaner/html_cleaner.h"

namespace {

// 8.4 MB of generated API reference; the library needs about a second and a half for it.
const char kPage[] = KPX_CORPUS_DIR "/pages/node-api-all.html";

const std::u16string& Page() {
  static const std::u16string page = [] {
    std::ifstream in(kPage, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return kpx::ToUtf16(bytes);
  }();
  return page;
}

enum Setup { kLibraryOnly, kPipelineSwitches, kPipelineAndCase };

void BM_CleanLargestPage(benchmark::State& state) {
  const std::u16string& page = Page();
  if (page.empty()) {
    state.SkipWithError("example page not found");
    return;
  }
  for (auto _ : state) {
    kpx::HtmlCleaner cleaner;
    const auto setup = static_cast<Setup>(state.range(0));
    if (setup != kLibraryOnly) {
      for (int option = kpx::kOmitImplicitFormSwitch; option <= kpx::kSkipAnchorFixingSwitch;
           ++option) {
        cleaner.SetOption(option, true);
      }
    }
    if (setup == kPipelineAndCase) cleaner.SetOption("kps-preserve-case", "yes");
    std::u16string output;
    cleaner.Run(page, &output);
    benchmark::DoNotOptimize(output.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size() * sizeof(char16_t)));
}
BENCHMARK(BM_CleanLargestPage)
    ->ArgName("setup")
    ->Arg(kLibraryOnly)
    ->Arg(kPipelineSwitches)
    ->Arg(kPipelineAndCase)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
