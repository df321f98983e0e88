// x2x end to end beside the library: the command's code path in this process (arguments, the
// file read and decoded, the converter made and initialized, the operation, the result encoded
// and written to a sink) against the same operation called through the converter's interface on
// text already in a BSTR. Then the UTF conversions at the edges on every corpus page, beside
// utfcpp converting character by character, as x2x did before.
#include <benchmark/benchmark.h>
#include <utf8cpp/utf8.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "base/utf.h"
#include "com/bstr.h"
#include "kpx/converter.h"
#include "server/registration.h"
#include "x2x/x2x_command.h"

namespace {

constexpr char kBase[] = "http://host/site";

struct Page {
  std::string path;
  std::string name;
  std::string utf8;
  std::u16string utf16;
};

std::vector<Page> CorpusPages() {
  std::vector<Page> pages;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(KPX_CORPUS_DIR) / "pages", error)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    Page page{entry.path().string(),
              entry.path().filename().string(),
              std::string(std::istreambuf_iterator<char>(in), {}),
              {}};
    if (kpx::FindInvalidUtf8(page.utf8)) continue;
    page.utf16 = kpx::ToUtf16(page.utf8);
    pages.push_back(std::move(page));
  }
  std::sort(pages.begin(), pages.end(),
            [](const Page& a, const Page& b) { return a.utf8.size() > b.utf8.size(); });
  return pages;
}

// Takes everything and keeps nothing.
class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

ComPtr<IXH2XConverter> MakeConverter() {
  ComPtr<IClassFactory> factory;
  ComPtr<IXH2XConverter> converter;
  if (SUCCEEDED(DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid())))
    factory->CreateInstance(nullptr, IXH2XConverter::kIID, converter.PutVoid());
  return converter;
}

// fresh: a converter made for each call, as x2x makes one per run; else one converter for every
// call, as a host that keeps it.
void Library(benchmark::State& state, const Page& page, bool resolve, bool fresh) {
  ComPtr<IXH2XConverter> kept = MakeConverter();
  const kpx::Bstr html(page.utf16);
  const kpx::Bstr base(kpx::ToUtf16(kBase));
  for (auto _ : state) {
    ComPtr<IXH2XConverter> converter = fresh ? MakeConverter() : kept;
    kpx::Bstr out;
    HRESULT hr = resolve ? converter->resolvePaths(html.Get(), base.Get(), out.Put())
                         : converter->makeExtensible(html.Get(), out.Put());
    if (FAILED(hr) || out.IsNull()) state.SkipWithError("the operation failed");
    benchmark::DoNotOptimize(out.Get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

void X2x(benchmark::State& state, const Page& page, bool resolve) {
  NullBuffer sink;
  std::ostream out(&sink);
  std::ostream err(&sink);
  std::vector<const char*> argv = {"x2x", resolve ? "resolvePaths" : "makeExtensible"};
  if (resolve) argv.insert(argv.end(), {"--path", kBase});
  argv.push_back(page.path.c_str());
  for (auto _ : state) {
    std::istringstream in;
    x2x::Console console{in, out, err, false, {}};
    if (x2x::RunX2x(static_cast<int>(argv.size()), argv.data(), console) != 0)
      state.SkipWithError("x2x failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

void ToUtf16(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::u16string text = kpx::ToUtf16(page.utf8);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

void ToUtf8(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::string text = kpx::ToUtf8(page.utf16);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

// Validation, then one character at a time through a back inserter.
void ToUtf16ByCharacter(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::u16string text;
    if (utf8::find_invalid(page.utf8.begin(), page.utf8.end()) == page.utf8.end()) {
      text.reserve(page.utf8.size());
      utf8::unchecked::utf8to16(page.utf8.begin(), page.utf8.end(), std::back_inserter(text));
    }
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

void ToUtf8ByCharacter(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::string text;
    text.reserve(page.utf16.size());
    utf8::unchecked::utf16to8(page.utf16.begin(), page.utf16.end(), std::back_inserter(text));
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

void Register(const std::vector<Page>& pages) {
  if (pages.empty()) return;
  const Page& largest = pages.front();
  for (bool resolve : {false, true}) {
    const std::string op = resolve ? "resolvePaths" : "makeExtensible";
    for (bool fresh : {false, true}) {
      benchmark::RegisterBenchmark(
          ((fresh ? "library (one call)/" : "library/") + op + "/" + largest.name).c_str(), Library,
          std::cref(largest), resolve, fresh)
          ->Unit(benchmark::kMillisecond)
          ->MinTime(1.0);
    }
    benchmark::RegisterBenchmark(("x2x/" + op + "/" + largest.name).c_str(), X2x,
                                 std::cref(largest), resolve)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
  }
  for (const Page& page : pages) {
    for (auto [name, function] : {std::pair{"utf8ToUtf16", &ToUtf16},
                                  std::pair{"utf8ToUtf16ByCharacter", &ToUtf16ByCharacter},
                                  std::pair{"utf16ToUtf8", &ToUtf8},
                                  std::pair{"utf16ToUtf8ByCharacter", &ToUtf8ByCharacter}}) {
      benchmark::RegisterBenchmark((std::string(name) + "/" + page.name).c_str(), function,
                                   std::cref(page))
          ->Unit(benchmark::kMillisecond)
          ->MinTime(0.3);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  kpx::RegisterStandInClasses();
  static const std::vector<Page> pages = CorpusPages();
  Register(pages);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
