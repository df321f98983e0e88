// x2x batch over the corpus, the whole command in this process (files found, read, converted,
// written), once on one worker and once on two in every iteration, in real time. Counters: one_ms
// and two_ms, the fastest run of each over the iterations (other work on a shared machine only
// ever adds time, so the fastest runs are the ones it disturbed least), and speedup, one_ms /
// two_ms. convertWithTidy goes through the cleaner, whose calls take turns inside the library;
// convert, convertCustom, backTransformation and makeExtensible do not. Sets: pages (five large
// pages, the largest 8.4 MB of the 10 MB, so a second worker can save at most the time of the
// others), tidy-cases (364 small pages), and the whole corpus. machine/arithmetic says what two
// threads of plain arithmetic gain on the machine at the time, read the others against it.
//
// Figures (December 2026, RelWithDebInfo, a shared 2-core virtual machine whose second core comes
// and goes: only runs where machine/arithmetic gave 1.97-2.00 count, five of them). tidy-cases:
// convert 1.70-1.85, convertCustom 1.73-1.85, backTransformation 1.77-1.92, makeExtensible
// 1.68-1.81 (one worker 18-31 ms a run; what stays serial, finding and checking the files and
// starting the workers, is about 1.5 ms of it). convertWithTidy 1.47-1.53: the cleaner is about
// 45% of its time there, so two workers keep the cleaner's lock taken nearly all the time and
// wait for it in turn. pages: 1.10-1.22 for every operation, bounded by node-api-all (the
// cleaner is 60% of convertWithTidy's time there, which alone would bound it to 1.6). corpus:
// 1.30-1.70, node-api-all again.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "server/registration.h"
#include "x2x/batch_inputs.h"
#include "x2x/x2x_command.h"

namespace {

namespace fs = std::filesystem;

// In memory when the system offers it (/dev/shm): what is measured is the batch, not the disk.
fs::path OutFolder() {
  static const fs::path folder = [] {
    std::error_code ec;
    fs::path parent =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (parent / "x2x-batch-bench-XXXXXX").string();
    return fs::path(mkdtemp(pattern.data()) ? pattern : "");
  }();
  return folder;
}

// One batch run; its real time in milliseconds.
double RunBatch(const std::string& operation, const fs::path& input, unsigned jobs) {
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  x2x::Console console{in, out, err, false, {}};
  const std::string jobsText = std::to_string(jobs);
  const std::string outText = (OutFolder() / operation / jobsText).string();
  const std::string inputText = input.string();
  const char* argv[] = {"x2x",   "batch",         operation.c_str(), "--jobs", jobsText.c_str(),
                        "--out", outText.c_str(), inputText.c_str()};
  const auto start = std::chrono::steady_clock::now();
  x2x::RunX2x(static_cast<int>(std::size(argv)), argv, console);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

void Report(benchmark::State& state, double one, double two) {
  state.counters["one_ms"] = one;
  state.counters["two_ms"] = two;
  state.counters["speedup"] = two > 0 ? one / two : 0;
}

void Batch(benchmark::State& state, const std::string& operation, const fs::path& input,
           std::int64_t bytes) {
  double one = std::numeric_limits<double>::infinity();
  double two = one;
  for (auto _ : state) {
    one = std::min(one, RunBatch(operation, input, 1));
    two = std::min(two, RunBatch(operation, input, 2));
  }
  Report(state, one, two);
  state.SetBytesProcessed(bytes * 2 * state.iterations());
}

// What the machine gives two threads at the moment: a loop of arithmetic twice on one thread,
// then once on each of two.
void TwoThreadsOfArithmetic(benchmark::State& state) {
  auto spin = [] {
    std::uint64_t x = 0;
    for (std::uint64_t i = 0; i < 100'000'000; ++i) x = x * 6364136223846793005u + i;
    benchmark::DoNotOptimize(x);
  };
  auto milliseconds = [](auto from, auto to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
  };
  double one = std::numeric_limits<double>::infinity();
  double two = one;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    spin();
    spin();
    auto middle = std::chrono::steady_clock::now();
    std::thread other(spin);
    spin();
    other.join();
    one = std::min(one, milliseconds(start, middle));
    two = std::min(two, milliseconds(middle, std::chrono::steady_clock::now()));
  }
  Report(state, one, two);
}

// The bytes the batch takes from a folder.
std::int64_t InputBytes(const fs::path& folder) {
  const std::vector<std::string> patterns = x2x::IncludePatterns({});
  std::int64_t bytes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && x2x::MatchesInclude(entry.path().filename().c_str(), patterns))
      bytes += static_cast<std::int64_t>(entry.file_size());
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  kpx::RegisterStandInClasses();
  benchmark::RegisterBenchmark("machine/arithmetic", TwoThreadsOfArithmetic)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(8)
      ->UseRealTime();
  const fs::path corpus = KPX_CORPUS_DIR;
  for (const char* set : {"pages", "tidy-cases", "."}) {
    const fs::path input = corpus / set;
    if (!fs::is_directory(input)) continue;
    const std::int64_t bytes = InputBytes(input);
    for (const char* operation :
         {"convertWithTidy", "convert", "convertCustom", "backTransformation", "makeExtensible"}) {
      std::string name =
          std::string("batch/") + operation + "/" + (std::string(set) == "." ? "corpus" : set);
      benchmark::RegisterBenchmark(name.c_str(), Batch, std::string(operation), input, bytes)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(std::string(set) == "tidy-cases" ? 20 : 8)
          ->UseRealTime();
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(OutFolder(), ec);
}
