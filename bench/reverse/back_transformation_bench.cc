// backTransformation (pre-processing and the page XML writer) over the corpus pages and over
// generated edited templates of 1, 4 and 16 MB with extent markers, one-tag components,
// placeholders, option blocks and encoded links every few lines, side by side in the same run
// with libxml2 reading the same page as HTML and writing it out as XML. Each corpus page is
// handed over as the editor would after a component marker at its start (a page with spans and
// no serviceable tag is refused). Throughput counts each page's size in UTF-8.
#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/utf.h"
#include "com/bstr.h"
#include "kpx/converter.h"
#include "server/registration.h"
#include "server/xh2x_converter.h"
#include "x2x/fixture_host.h"
#include "x2x/host_file_loader.h"

namespace {

struct Page {
  std::string name;
  std::string utf8;
  std::u16string utf16;
};

constexpr char kMarker[] =
    "<span kpsServiceable=\"true\" kpsId=\"2\" name=\"Orders\" isBegin=\"true\">";

Page MakePage(std::string name, std::string utf8) {
  Page page{std::move(name), std::move(utf8), {}};
  if (kpx::FindInvalidUtf8(page.utf8)) {
    page.utf16.assign(page.utf8.begin(), page.utf8.end());  // Latin-1
  } else {
    page.utf16 = kpx::ToUtf16(page.utf8);
  }
  return page;
}

std::vector<Page> CorpusPages() {
  std::vector<Page> pages;
  const std::filesystem::path corpus(KPX_CORPUS_DIR);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(corpus / "pages", error)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    pages.push_back(MakePage(entry.path().filename().string(),
                             kMarker + std::string(std::istreambuf_iterator<char>(in), {})));
  }
  std::sort(pages.begin(), pages.end(),
            [](const Page& a, const Page& b) { return a.name < b.name; });
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
  return MakePage(std::to_string(megabytes) + " MB template", std::move(text));
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

void Libxml2HtmlToXml(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    htmlDocPtr doc = htmlReadMemory(
        page.utf8.data(), static_cast<int>(page.utf8.size()), nullptr, nullptr,
        HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET | HTML_PARSE_RECOVER);
    xmlChar* out = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &out, &size);
    benchmark::DoNotOptimize(out);
    xmlFree(out);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

const std::vector<Page>& AllPages() {
  static const std::vector<Page> pages = [] {
    std::vector<Page> all = CorpusPages();
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
