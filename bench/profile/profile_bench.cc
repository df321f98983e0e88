// Loading generated forward profiles of growing size (rules per second), and applying the example
// reverse profile's table to texts of 1, 4 and 16 MB (bytes per second).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "base/utf.h"
#include "com/bstr.h"
#include "kpx/msxml.h"
#include "profile/converter_profile.h"
#include "profile/profile_loader.h"
#include "profile/reverse_profile.h"
#include "xmldom/classes.h"

namespace {

ComPtr<IXMLDOMDocument> Load(const std::string& xml) {
  ComPtr<IXMLDOMDocument> doc;
  kpx::RegisterXmlDomClasses();
  CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID, doc.PutVoid());
  kpx::Bstr text(kpx::ToUtf16(xml));
  VARIANT_BOOL ok = VARIANT_FALSE;
  doc->loadXML(text.Get(), &ok);
  return doc;
}

// rules rules in mode "default": plain rules, domains and conditions in turn.
std::string GeneratedProfile(int64_t rules) {
  std::string mode;
  for (int64_t i = 0; i < rules; i += 4) {
    mode +=
        "<html:tag name='td;th;tr' balance='validate' output='xml:simulate'><flag name='f'/>"
        "</html:tag><html:domain type='text'><kps:variable output='xml'/>"
        "<kps:resource output='xml'/></html:domain>"
        "<if defined='sym'><kps:component type='Grid;Record' output='xml'/></if>";
  }
  return "<xconverterProfile xmlns:html='h' xmlns:kps='k'><mode target='default'>" + mode +
         "</mode></xconverterProfile>";
}

void BM_LoadForwardProfile(benchmark::State& state) {
  ComPtr<IXMLDOMDocument> doc = Load(GeneratedProfile(state.range(0)));
  for (auto _ : state) {
    kpx::ConverterProfile profile;
    profile.Define(u"sym");
    benchmark::DoNotOptimize(kpx::ProfileLoader::Load(doc.Get(), profile));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadForwardProfile)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

std::string ReadFile(const char* path) {
  std::string bytes;
  if (FILE* f = std::fopen(path, "rb")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

// Page-like text with a character of the table every few dozen code units.
std::u16string Text(size_t bytes) {
  const std::u16string piece =
      u"<td class=\"Row\">{OrderNumber}\u00A0\u2013 <img src=\"..\\images\\o.png\"> &amp; "
      u"caf\u00E9 \u00A9 2024\u2026</td>\n";
  std::u16string text;
  while (text.size() * 2 < bytes) text += piece;
  return text;
}

void BM_ApplySubstitutions(benchmark::State& state) {
  kpx::ReverseProfile profile;
  ComPtr<IXMLDOMDocument> doc =
      Load(ReadFile(KPX_SOURCE_DIR "/examples/profiles/ReverseProfile.xml"));
  profile.Load(doc.Get());
  const std::u16string text = Text(static_cast<size_t>(state.range(0)) << 20);
  for (auto _ : state) benchmark::DoNotOptimize(profile.table().Apply(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * 2));
}
BENCHMARK(BM_ApplySubstitutions)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
