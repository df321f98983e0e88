// The document scanner over the corpus pages, side by side with libxml2's HTML parser and, when
// it is installed, the Gumbo HTML5 parser, on the same pages. Pages are read and converted to
// UTF-16 before timing; throughput counts each page's size in UTF-8, as the other parsers read it.
#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#ifdef KPX_HAVE_GUMBO
#include <gumbo.h>
#endif

#include "base/utf.h"
#include "markup/document_scanner.h"
#include "markup/text_edit_list.h"

namespace {

struct Page {
  std::string name;
  std::string utf8;
  std::u16string utf16;
};

std::vector<Page> LoadPages() {
  std::vector<Page> pages;
  const std::filesystem::path folder = std::filesystem::path(KPX_CORPUS_DIR) / "pages";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    Page page;
    page.name = entry.path().filename().string();
    page.utf8.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (kpx::FindInvalidUtf8(page.utf8)) {
      page.utf16.assign(page.utf8.begin(), page.utf8.end());  // Latin-1
    } else {
      page.utf16 = kpx::ToUtf16(page.utf8);
    }
    pages.push_back(std::move(page));
  }
  std::sort(pages.begin(), pages.end(),
            [](const Page& a, const Page& b) { return a.name < b.name; });
  return pages;
}

// A set of pages: one page, or the whole corpus for the overall figure.
using Pages = std::vector<const Page*>;

std::size_t Utf8Size(const Pages& pages) {
  std::size_t size = 0;
  for (const Page* page : pages) size += page->utf8.size();
  return size;
}

void Scan(benchmark::State& state, const Pages& pages, bool record_repairs) {
  size_t items = 0;
  for (auto _ : state) {
    items = 0;
    for (const Page* page : pages) {
      kpx::DocumentScanner scanner{kpx::BorrowedText{page->utf16}};  // read in place
      kpx::TextEditList edits;
      scanner.set_placeholder_attribute_name(u"kpscheckedattr");
      scanner.set_record_repairs(record_repairs);
      if (record_repairs) scanner.set_edit_sink(&edits);
      while (scanner.NextItem() != kpx::MarkupItem::kEnd) ++items;
    }
    benchmark::DoNotOptimize(items);
  }
  state.counters["items"] = static_cast<double>(items);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Utf8Size(pages)));
}

void IgnoreXmlError(void*, const char*, ...) {}

void LibXml2(benchmark::State& state, const Pages& pages) {
  xmlSetGenericErrorFunc(nullptr, IgnoreXmlError);
  const int options =
      HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
  for (auto _ : state) {
    for (const Page* page : pages) {
      htmlDocPtr doc = htmlReadMemory(page->utf8.data(), static_cast<int>(page->utf8.size()),
                                      nullptr, "UTF-8", options);
      benchmark::DoNotOptimize(doc);
      xmlFreeDoc(doc);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Utf8Size(pages)));
}

#ifdef KPX_HAVE_GUMBO
void Gumbo(benchmark::State& state, const Pages& pages) {
  for (auto _ : state) {
    for (const Page* page : pages) {
      GumboOutput* output =
          gumbo_parse_with_options(&kGumboDefaultOptions, page->utf8.data(), page->utf8.size());
      benchmark::DoNotOptimize(output);
      gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Utf8Size(pages)));
}
#endif

}  // namespace

int main(int argc, char** argv) {
  static const std::vector<Page> pages = LoadPages();
  if (pages.empty()) {
    std::fprintf(stderr, "no pages under %s/pages\n", KPX_CORPUS_DIR);
  }
  // Each page alone, then all of them together (throughput over the whole corpus).
  std::vector<std::pair<std::string, Pages>> sets;
  Pages all;
  for (const Page& page : pages) {
    sets.push_back({page.name, {&page}});
    all.push_back(&page);
  }
  if (pages.size() > 1) sets.push_back({"corpus (all pages)", all});
  for (const auto& [name, set] : sets) {
    benchmark::RegisterBenchmark(("DocumentScanner/" + name).c_str(), Scan, set, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("DocumentScannerWithRepairs/" + name).c_str(), Scan, set, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("LibXml2Html/" + name).c_str(), LibXml2, set)
        ->Unit(benchmark::kMillisecond);
#ifdef KPX_HAVE_GUMBO
    benchmark::RegisterBenchmark(("Gumbo/" + name).c_str(), Gumbo, set)
        ->Unit(benchmark::kMillisecond);
#endif
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
