// Arbitrary text as a template for convertCustom and the marked parse, on a host page with
// components of every kind: the page XML always loads as namespace-well-formed XML.
#include <libxml/parser.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "com/bstr.h"
#include "fuzz_host.h"
#include "kpx/converter.h"

namespace {

using fuzz_host::Check;

constexpr std::string_view kHost =
    "<host><options><section name=\"HTMLFormatting\"><option name=\"ConverterVerbosityLevel\" "
    "value=\"3\"/></section><section name=\"HTMLEditor\"><option name=\"ShowTranslations\" "
    "value=\"true\"/></section></options><messages><message key=\"KPProject_Synchronize_Pos\">"
    "%s:%s</message></messages><project directory=\"/\"><value name=\"siteLanguage\" value=\"en\"/>"
    "<item name=\"site\"><property name=\"htmlTagsToParse\" value=\"form;input;td;o:p;label\"/>"
    "</item><translations language=\"en\"><translation name=\"T\">a\\nb</translation>"
    "</translations></project><page id=\"1\" name=\"P\"><template></template>"
    "<component id=\"2\" name=\"G\" type=\"Grid\" container=\"true\">"
    "<component id=\"3\" name=\"L\" type=\"Label\"/><component id=\"4\" name=\"P\" type=\"Panel\" "
    "container=\"true\"/></component><component id=\"5\" name=\"K\" type=\"Link\"/>"
    "<component id=\"6\" name=\"R\" type=\"Record\" container=\"true\"/>"
    "<component id=\"7\" name=\"B\" type=\"TextBox\"/></page></host>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  x2x::FixtureHost* host = &fuzz_host::Host(kHost);
  ComPtr<IXH2XConverter> converter = fuzz_host::Converter(*host);
  ComPtr<IDispatch> page = host->Page(0);

  const std::u16string text =
      kpx::ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  kpx::Bstr input(text), xml;
  Check(converter->convertCustom(page.Get(), input.Get(), xml.Put()) == S_OK);
  const std::string bytes = kpx::ToUtf8(xml.View());
  xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  Check(doc != nullptr);
  xmlFreeDoc(doc);

  kpx::Bstr marked(u"[kps_sync]" + text);
  Check(converter->parse(marked.Get(), page.Get(), VARIANT_TRUE) == S_OK);
  return 0;
}
