// The baseline the recognition benchmarks compare with: libxml2 reading a page as HTML and
// writing it out as XML (htmlReadMemory, then xmlDocDumpMemory). Throughput counts UTF-8 bytes.
#pragma once

#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include "support/corpus_pages.h"

namespace kpx::bench {

inline void Libxml2HtmlToXml(benchmark::State& state, const BenchPage& page) {
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

}  // namespace kpx::bench
