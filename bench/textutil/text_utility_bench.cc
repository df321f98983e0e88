// makeExtensible, balance and resolvePaths over the corpus pages and over generated pages of 1, 4
// and 16 MB, side by side in the same run with libtidy converting the same pages to XHTML
// (output-xhtml, its default configuration otherwise). Pages are read and converted to UTF-16
// before timing; throughput counts each page's size in UTF-8, as libtidy reads it.
//
// On the generated pages the conversion needs about 100,000 edits per MB. The buffers of the
// 16 MB page (its copy, its edit records, the result) are each larger than the 32 MB above which
// glibc maps memory afresh on every call, while those of the smaller pages are recycled; they ask
// for transparent huge pages, so the kernel maps them 2 MB at a time. Where huge pages are off
// (/sys/kernel/mm/transparent_hugepage/enabled says [never]) the 16 MB page pays a page fault per
// 4 KB and grows faster than the others; to see the growth without that, run with
// GLIBC_TUNABLES=glibc.malloc.mmap_max=0:glibc.malloc.trim_threshold=4294967295.
#include <benchmark/benchmark.h>
#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/utf.h"
#include "markup/text_edit_list.h"
#include "textutil/head_body_balancing.h"
#include "textutil/path_resolution.h"
#include "textutil/xhtml_conversion.h"

namespace {

struct Page {
  std::string name;
  std::string utf8;
  std::u16string utf16;
};

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
                             std::string(std::istreambuf_iterator<char>(in), {})));
  }
  std::sort(pages.begin(), pages.end(),
            [](const Page& a, const Page& b) { return a.name < b.name; });
  // The small, old and often broken pages of the cleaner's regression cases, read as one.
  std::string cases;
  for (const auto& entry : std::filesystem::directory_iterator(corpus / "tidy-cases", error)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    cases.append(std::istreambuf_iterator<char>(in), {});
  }
  if (!cases.empty()) pages.push_back(MakePage("tidy-cases (all)", std::move(cases)));
  return pages;
}

// A template page: grids in template comments, placeholders, forms, tables, scripts, links of
// every kind, upper-case tags and unquoted attributes, and a paragraph that holds a block.
constexpr char kBlock[] =
    "<!-- BEGIN Grid Orders -->\n"
    "<TABLE class=grid width=\"100%\">\n"
    "<TR><TH>Name</TH><TH>Price</TH></TR>\n"
    "<TR><TD><A href=order.html?id={OrderId}>{OrderName}</A></TD><TD align=right>{Price}</TD>"
    "</TR>\n"
    "</TABLE>\n"
    "<!-- END Grid Orders -->\n"
    "<P>Text with <B>bold</B> and <img src=images/x.gif alt=x><BR>\n"
    "<P class=note>Note<DIV>a block in a paragraph</DIV></P>\n"
    "<FORM action=submit.html method=post><INPUT type=text name=q value=\"{q}\">"
    "<INPUT type=checkbox name=c checked><SELECT name=s><OPTION value=1 selected>One</OPTION>"
    "</SELECT></FORM>\n"
    "<SCRIPT>function f(a) { return a < 2; }</SCRIPT>\n"
    "<a href=\"http://example.com/x\">ext</a> <a href=\"/abs/path\">abs</a> "
    "<a href=\"#top\">top</a>\n";

Page GeneratedPage(std::size_t megabytes) {
  std::string html =
      "<HTML><HEAD><TITLE>Generated</TITLE><META http-equiv=Content-Type content=\"text/html; "
      "charset=utf-8\"><LINK rel=stylesheet href=style.css></HEAD><BODY>\n";
  while (html.size() < megabytes << 20) html += kBlock;
  html += "</BODY></HTML>\n";
  return MakePage("generated " + std::to_string(megabytes) + " MB", std::move(html));
}

void MakeExtensible(benchmark::State& state, const Page& page) {
  kpx::TextEditList edits;
  for (auto _ : state) {
    std::u16string out = kpx::ConvertToXhtml(edits, page.utf16, kpx::kPublishModeOff);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

void Balance(benchmark::State& state, const Page& page) {
  kpx::TextEditList edits;
  for (auto _ : state) {
    std::u16string out = kpx::BalanceHeadAndBody(edits, page.utf16);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

void ResolvePaths(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::u16string out = kpx::ResolvePaths(page.utf16, u"http://host/site");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

// libtidy's XHTML conversion of the same page: parse, clean and repair, save.
void TidyXhtml(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    TidyDoc doc = tidyCreate();
    TidyBuffer output;
    TidyBuffer messages;
    tidyBufInit(&output);
    tidyBufInit(&messages);
    tidyOptSetBool(doc, TidyXhtmlOut, yes);
    tidyOptSetBool(doc, TidyForceOutput, yes);
    tidyOptSetBool(doc, TidyQuiet, yes);
    tidyOptSetBool(doc, TidyShowWarnings, no);
    tidySetCharEncoding(doc, "utf8");
    tidySetErrorBuffer(doc, &messages);
    // The whole page, zero bytes and all (some pages of the corpus hold them).
    TidyBuffer input;
    tidyBufInit(&input);
    tidyBufAttach(&input, reinterpret_cast<byte*>(const_cast<char*>(page.utf8.data())),
                  static_cast<uint>(page.utf8.size()));
    tidyParseBuffer(doc, &input);
    tidyBufDetach(&input);
    tidyCleanAndRepair(doc);
    tidySaveBuffer(doc, &output);
    benchmark::DoNotOptimize(output.bp);
    tidyBufFree(&output);
    tidyBufFree(&messages);
    tidyRelease(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.utf8.size()));
}

void Register(const std::vector<Page>& pages) {
  for (const Page& page : pages) {
    for (auto [name, function] :
         {std::pair{"makeExtensible", &MakeExtensible}, std::pair{"balance", &Balance},
          std::pair{"resolvePaths", &ResolvePaths}, std::pair{"tidyXhtml", &TidyXhtml}}) {
      benchmark::RegisterBenchmark((std::string(name) + "/" + page.name).c_str(), function,
                                   std::cref(page))
          ->Unit(benchmark::kMillisecond)
          ->MinTime(0.5);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  static const std::vector<Page> corpus = CorpusPages();
  static const std::vector<Page> generated = {GeneratedPage(1), GeneratedPage(4),
                                              GeneratedPage(16)};
  Register(corpus);
  Register(generated);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
