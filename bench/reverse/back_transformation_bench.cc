// backTransformation (pre-processing and the page XML writer) over the corpus pages and over
// generated edited templates of 1, 4 and 16 MB with extent markers, one-tag components,
// placeholders, option blocks and encoded links every few lines, side by side in the same run
// with libxml2 reading the same page as HTML and writing it out as XML. Each corpus page is
// handed over as the editor would after a component marker at its start (a page with spans and
// no serviceable tag is refused). Throughput counts each page's size in UTF-8.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

#include "com/bstr.h"
#include "kpx/converter.h"
#include "server/registration.h"
#include "server/xh2x_converter.h"
#include "support/corpus_pages.h"
#include "support/libxml2_baseline.h"
#include "x2x/fixture_host.h"
#include "x2x/host_file_loader.h"

namespace {

using kpx::bench::Libxml2HtmlToXml;
using kpx::bench::MakeBenchPage;
using Page = kpx::bench::BenchPage;

constexpr char kMarker[] =
    "<span kpsServiceable=\"true\" kpsId=\"2\" name=\"Orders\" isBegin=\"true\">";

// The corpus pages as the editor hands them back: behind a component marker.
std::vector<Page> MarkedCorpusPages() {
  std::vector<Page> pages;
  for (Page& page : kpx::bench::CorpusPages()) {
    pages.push_back(MakeBenchPage(std::move(page.name), kMarker + std::move(page.utf8)));
  }
  return pages;
}

constexpr char kChunk[] =
    "<span kpsServiceable=\"true\" kpsId=\"2\" name=\"Orders\" isBegin=\"true\"> "
    "<table class=grid>\n"
    "<tr><th>{res:OrderName}</th><th>Price</th></tr>\n"
    "<tr><td><a href=\"%7BLink1_Src%7D\">{OrderName}</a></td><td align=right>{Price}</td></tr>\n"
    "<tr><td colspan=2><SPAN kpsServiceable=\"true\" kpsId=\"3\" name=\"Title\">{Title}</SPAN>"
    "</td></tr>\n"
    "</table><span kpsServiceable=\"true\" kpsId=\"2\" isBegin=\"false\"> \n"
    "<form name=edit><select name=s><option kpsOptionBlock=\"A\">1<option kpsOptionBlock=\"A\">2"
    "<option kpsOptionBlock=\"B\">3</select> <input name=\"x\" value=\"{Value}\"></form>\n"
    "<p>Some text of the page, with <b>bold</b> and <i>italic</i> words in it.</p>\n";

Page Generated(size_t megabytes) {
  std::string text = "<html><head><title>{res:Title}</title></head><body>\n";
  while (text.size() < megabytes << 20) text += kChunk;
  text += "</body></html>\n";
  return MakeBenchPage(std::to_string(megabytes) + " MB template", std::move(text));
}

constexpr std::string_view kHost =
    "<host><project directory=\"/site\"/>"
    "<page id=\"1\" name=\"P\" file=\"P.html\" directory=\"/site\">"
    "<component id=\"2\" name=\"Orders\" type=\"Grid\" container=\"true\" position=\"1\">"
    "<component id=\"3\" name=\"Title\" type=\"Label\" position=\"2\"/></component>"
    "<component id=\"5\" name=\"Link1\" type=\"Link\" position=\"3\"/></page></host>";

std::optional<std::string> NoFiles(const std::filesystem::path&, std::string* error) {
  *error = "no files";
  return std::nullopt;
}

void BackTransformation(benchmark::State& state, const Page& page) {
  kpx::RegisterStandInClasses();
  x2x::FixtureHost host(x2x::ParseHostFile(kHost, "bench.xml", "/", &NoFiles), nullptr);
  ComPtr<IXH2XConverter> converter;
  kpx::CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter.PutVoid());
  converter->initialize(host.Application());
  ComPtr<IDispatch> host_page = host.Page(0);
  kpx::Bstr input(page.utf16);
  for (auto _ : state) {
    kpx::Bstr xml;
    if (converter->backTransformation(host_page.Get(), input.Get(), xml.Put()) != S_OK) {
      state.SkipWithError("backTransformation failed");
      break;
    }
    benchmark::DoNotOptimize(xml.Get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

const std::vector<Page>& AllPages() {
  static const std::vector<Page> pages = [] {
    std::vector<Page> all = MarkedCorpusPages();
    for (size_t mb : {1, 4, 16}) all.push_back(Generated(mb));
    return all;
  }();
  return pages;
}

int Register() {
  for (const Page& page : AllPages()) {
    benchmark::RegisterBenchmark(("backTransformation/" + page.name).c_str(), BackTransformation,
                                 page)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("libxml2 HTML to XML/" + page.name).c_str(), Libxml2HtmlToXml,
                                 page)
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}
const int kRegistered = Register();

}  // namespace

BENCHMARK_MAIN();
