// convertWithTidy on the corpus pages and on generated templates of 1, 4 and 16 MB, and the same
// pipeline stage by stage: balance, pre-patch, the cleaner, the empty-span cleanup, post-patch
// (with the removal of what the cleaner added), recognition and page XML generation. The stage
// benchmark reports each stage's processor milliseconds per run as counters, and "others_x", the
// time of all stages but the cleaner as a fraction of the cleaner's own. Throughput counts UTF-8
// bytes.
//
// Figures (December 2026, Release, a shared 2-core machine at load 4 to 7), before and after the
// template was read where it stands (copied only when balancing changes it) and the pre-patch
// and post-patch passes were trimmed. At that load processor times drift by 10% and more from
// run to run, so the steadier comparison is instructions per run (valgrind --tool=callgrind, in
// millions; valgrind-core is valgrind-manual-core):
//
//   page          balance    pre-patch  cleaner cleanup post-patch recog. xml   others_x
//   nettle        2.20->1.11 34.5->31.5 417     1.84    7.60->7.17 21.3   3.50  .170->.159
//   node-api-all  16.9->15.0 475->429   5285    27.5    67.2->59.0 306    54.1  .179->.168
//   node-api-fs   2.56->1.24 38.6->34.8 438     2.29    7.63->6.92 25.1   4.24  .183->.170
//   valgrind-core 0.57->0.22 5.50->5.05 106     0.16    0.88->0.83 3.47   1.11  .111->.103
//   valgrind-news 0.81->0.32 7.86->7.14 152     0.22    1.18->1.00 4.74   1.55  .108->.099
//   1MB-template  2.72->2.49 125->118   1479    3.81    86.0->86.1 114    50.8  .258->.254
//
// Processor time (ms, median of ten runs): balance node-api-all 12.4->2.9 (the 17 MB copy and its
// page faults gone), nettle 0.30->0.20, 1MB-template 0.43->0.17; pre-patch and post-patch moved
// less than the drift. others_x: nettle 0.145->0.144, node-api-all 0.194->0.173, node-api-fs
// 0.166->0.160, valgrind-core 0.115->0.108, valgrind-news 0.104->0.096.
//
// Generated templates, 16 MB over 1 MB with the default allocator: balance 14-16x, pre-patch 17x,
// cleanup 13x, post-patch 16x, recognition 16x, page XML 18.5-20.3x, cleaner 18-19x. The first
// run of a 16 MB page pays for fresh pages (and, for the blocks given the huge-page advice, for
// the kernel's compaction): run several iterations, or keep the heap between runs
// (GLIBC_TUNABLES=glibc.malloc.mmap_max=0:glibc.malloc.trim_threshold=4000000000).
//
// What is left: about half of pre-patch is the markup scanner's pass over the tags; recognition
// and page XML alone are 0.04-0.07 of the cleaner on the corpus pages (0.11 on templates), and
// post-patch on a template dense with kpstagcontent reads all of its tags again. Balancing costs
// 0.3% of the cleaner, so a scan shared with pre-patch would save little; 0.10 on every page
// needs the scanner's tag parsing or recognition made cheaper.
#include <benchmark/benchmark.h>

#include <time.h>

#include <string>
#include <vector>

#include "com/bstr.h"
#include "forward/post_patch.h"
#include "forward/pre_patch.h"
#include "forward/profile_selection.h"
#include "kpx/converter.h"
#include "server/converter_pipeline_tools.h"
#include "server/registration.h"
#include "server/xh2x_converter.h"
#include "support/corpus_pages.h"
#include "x2x/fixture_host.h"
#include "x2x/host_file_loader.h"

namespace {

using kpx::bench::BenchPage;

constexpr char kChunk[] =
    "<!-- BEGIN Grid Orders -->\n"
    "<table class=grid>\n"
    "<tr><th>{res:OrderName}</th><th>Price</th></tr>\n"
    "<!-- BEGIN Row -->\n"
    "<tr><td><a href=\"{Link1_Src}\">{OrderName}</a></td><td align=right {Extra}>{Price}</td>"
    "</tr>\n"
    "<!-- END Row -->\n"
    "</table>\n"
    "<!-- END Grid Orders -->\n"
    "<form name=edit><input name=\"{Name_Name}\" value=\"{Value}\"> {Hint}</form>\n"
    "<p>Some text of the page -- with <b>bold</b> and <i>italic</i> words.<span></span></p>\n";

BenchPage Generated(size_t megabytes) {
  std::string text = "<html><head><title>{res:Title}</title></head><body>\n";
  while (text.size() < megabytes << 20) text += kChunk;
  text += "</body></html>\n";
  return kpx::bench::MakeBenchPage(std::to_string(megabytes) + "MB-template", std::move(text));
}

constexpr std::string_view kHost =
    "<host><project directory=\"/\"><value name=\"siteLanguage\" value=\"en\"/>"
    "<value name=\"defaultStyle\" value=\"Basic\"/></project>"
    "<page id=\"1\" name=\"P\"><template></template>"
    "<component id=\"2\" name=\"Orders\" type=\"Grid\" container=\"true\"/>"
    "<component id=\"5\" name=\"Link1\" type=\"Link\"/><component id=\"6\" name=\"Name\" "
    "type=\"TextBox\"/></page></host>";

std::optional<std::string> NoFiles(const std::filesystem::path&, std::string* error) {
  *error = "no files";
  return std::nullopt;
}

// A fixture host whose page holds the template, and a converter bound to it.
struct Setup {
  explicit Setup(const BenchPage& page) : host(Data(page), nullptr) {
    kpx::CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter.PutVoid());
    converter->initialize(host.Application());
    host_page = host.Page(0);
  }
  static x2x::HostData Data(const BenchPage& page) {
    kpx::RegisterStandInClasses();
    x2x::HostData data = x2x::ParseHostFile(kHost, "bench.xml", "/", &NoFiles);
    data.pages[0].templateText = page.utf16;
    return data;
  }
  x2x::FixtureHost host;
  ComPtr<IXH2XConverter> converter;
  ComPtr<IDispatch> host_page;
};

void ConvertWithTidy(benchmark::State& state, const BenchPage& page) {
  Setup setup(page);
  for (auto _ : state) {
    kpx::Bstr xml;
    if (setup.converter->convertWithTidy(setup.host_page.Get(), xml.Put()) != S_OK) {
      state.SkipWithError("convertWithTidy failed");
      break;
    }
    benchmark::DoNotOptimize(xml.Get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

// The thread's processor time: on a machine that other work keeps busy, wall-clock laps of one
// stage would mostly measure the waiting.
class Clock {
 public:
  double Lap() {
    const double now = Now();
    const double ms = now - last_;
    last_ = now;
    return ms;
  }

 private:
  static double Now() {
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
  }
  double last_ = Now();
};

void Stages(benchmark::State& state, const BenchPage& page) {
  Setup setup(page);
  kpx::ConverterPipelineTools tools;
  ComPtr<IDispatch> application_dispatch(setup.host.Application());
  ComPtr<HostApplication> application = application_dispatch.As<HostApplication>();
  kpx::ConverterContext context;
  context.application = application.Get();
  enum { kBalance, kPrePatch, kCleaner, kCleanup, kPostPatch, kRecognition, kXml, kCount };
  double totals[kCount] = {};
  for (auto _ : state) {
    Clock clock;
    std::u16string balanced;  // as the pipeline has it: a copy only of a page balancing changes
    const bool was_balanced = tools.Balance(page.utf16, &balanced);
    totals[kBalance] += clock.Lap();
    kpx::PrePatchSettings settings;
    const kpx::PrePatchResult patched =
        kpx::PrePatch(was_balanced ? kpx::BorrowedText{balanced} : page.utf16, settings);
    std::u16string().swap(balanced);
    totals[kPrePatch] += clock.Lap();
    std::u16string cleaned, messages;
    tools.Clean(patched.text, &cleaned, &messages);
    totals[kCleaner] += clock.Lap();
    kpx::CleanUpEmptySpansInPlace(cleaned);
    totals[kCleanup] += clock.Lap();
    kpx::PostPatchInPlace(cleaned);
    const std::u16string text = kpx::DropAddedDocumentParts(std::move(cleaned), patched.bits);
    totals[kPostPatch] += clock.Lap();
    auto tree = kpx::RecognizeBuiltIn(context, setup.host_page.Get(), text, patched.bits);
    totals[kRecognition] += clock.Lap();
    std::u16string xml = tree->Root().ToXml();
    benchmark::DoNotOptimize(xml.data());
    totals[kXml] += clock.Lap();
  }
  const char* names[kCount] = {"balance_ms",   "prepatch_ms",    "cleaner_ms", "cleanup_ms",
                               "postpatch_ms", "recognition_ms", "xml_ms"};
  double others = 0;
  for (int i = 0; i < kCount; ++i) {
    state.counters[names[i]] = benchmark::Counter(totals[i], benchmark::Counter::kAvgIterations);
    if (i != kCleaner) others += totals[i];
  }
  state.counters["others_x"] = totals[kCleaner] > 0 ? others / totals[kCleaner] : 0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

const std::vector<BenchPage>& AllPages() {
  static const std::vector<BenchPage> pages = [] {
    std::vector<BenchPage> all = kpx::bench::CorpusPages();
    for (size_t mb : {1, 4, 16}) all.push_back(Generated(mb));
    return all;
  }();
  return pages;
}

int Register() {
  for (const BenchPage& page : AllPages()) {
    benchmark::RegisterBenchmark(("convertWithTidy/" + page.name).c_str(), ConvertWithTidy, page)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("stages/" + page.name).c_str(), Stages, page)
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}
const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
