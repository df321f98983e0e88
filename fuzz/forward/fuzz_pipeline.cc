// Arbitrary text through the whole pipeline (generation and design), a fragment and the preview,
// on a host page with components: no crash, and page XML that loads whenever a run succeeds.
#include <libxml/parser.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "../recognition/fuzz_host.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "kpx/converter.h"

namespace {

using fuzz_host::Check;

constexpr std::string_view kHost =
    "<host><options><section name=\"HTMLFormatting\"><option name=\"ConverterVerbosityLevel\" "
    "value=\"3\"/></section></options><project directory=\"/\"><value name=\"siteLanguage\" "
    "value=\"en-GB\"/><value name=\"defaultStyle\" value=\"Basic\"/></project>"
    "<blocks><block name=\"Grid G\" result1=\"1\"/></blocks>"
    "<page id=\"1\" name=\"P\"><template></template>"
    "<component id=\"2\" name=\"G\" type=\"Grid\" container=\"true\">"
    "<component id=\"3\" name=\"L\" type=\"Label\"/></component>"
    "<component id=\"6\" name=\"R\" type=\"Record\" container=\"true\"/></page></host>";

void CheckLoads(const kpx::Bstr& xml) {
  const std::string bytes = kpx::ToUtf8(xml.View());
  xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  Check(doc != nullptr);
  xmlFreeDoc(doc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  x2x::FixtureHost* host = &fuzz_host::Host(kHost);
  ComPtr<IXH2XConverter> converter = fuzz_host::Converter(*host);
  ComPtr<IDispatch> page = host->Page(0);
  kpx::Bstr input(kpx::ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size)));

  kpx::Bstr xml;
  if (converter->convertForGeneration(page.Get(), input.Get(), xml.Put()) == S_OK) CheckLoads(xml);
  kpx::Bstr xml2, structure;
  if (converter->convertForGeneration2(page.Get(), input.Get(), 10, xml2.Put(), structure.Put()) ==
      S_OK) {
    CheckLoads(xml2);
  }
  ComPtr<IXMLDOMDocument> document;
  converter->convertSingletonWithDOM(page.Get(), input.Get(), document.Put());
  kpx::Bstr preview;
  Check(converter->convertForPreview(page.Get(), input.Get(), preview.Put()) == S_OK);
  return 0;
}
