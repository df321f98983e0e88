// A converter profile and a template: the input's text up to the first "\n@@\n" holds the rules
// of the profile's "default" mode (more modes may follow, closing it), the rest is the template.
// convertUsingProfile in modes "design" and "sync" never fails and hands back only page XML that
// loads as namespace-well-formed XML; the same conversion twice gives the same text.
#include <libxml/parser.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "com/bstr.h"
#include "fuzz_host.h"
#include "kpx/converter.h"
#include "kpx/msxml.h"

namespace {

using fuzz_host::Check;

constexpr std::string_view kHost =
    "<host><options><section name=\"HTMLFormatting\"><option name=\"ConverterVerbosityLevel\" "
    "value=\"3\"/></section></options><messages/><project directory=\"/\">"
    "<value name=\"siteLanguage\" value=\"en\"/><translations language=\"en\">"
    "<translation name=\"T\">a\\nb</translation></translations></project>"
    "<page id=\"1\" name=\"P\"><template></template>"
    "<component id=\"2\" name=\"G\" type=\"Grid\" container=\"true\">"
    "<component id=\"3\" name=\"L\" type=\"Label\"><typeProperty name=\"hasExtendedHtml\" "
    "value=\"true\"/></component></component><component id=\"5\" name=\"K\" type=\"Link\"/>"
    "<component id=\"6\" name=\"N\" type=\"Navigator\"/></page></host>";

// The page XML of a conversion, or nothing when no document came back.
std::optional<std::u16string> Convert(IXH2XConverter* converter, IDispatch* page,
                                      IXMLDOMDocument* profile, const std::u16string& text,
                                      const char16_t* mode) {
  kpx::Bstr input(text), target(mode);
  ComPtr<IXMLDOMDocument> result;
  Check(converter->convertUsingProfile(page, input.Get(), profile, target.Get(), result.Put()) ==
        S_OK);
  if (!result) return std::nullopt;
  kpx::Bstr xml;
  Check(result->get_xml(xml.Put()) == S_OK);
  return std::u16string(xml.View());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  x2x::FixtureHost* host = &fuzz_host::Host(kHost);
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find("\n@@\n");
  if (split == std::string_view::npos) return 0;
  const std::string profile_text =
      "<xconverterProfile xmlns:html='urn:h' xmlns:kps='urn:k' xmlns:sgml='urn:s'>"
      "<mode target='default'>" +
      std::string(input.substr(0, split)) + "</mode></xconverterProfile>";

  ComPtr<IXMLDOMDocument> profile;
  Check(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                         profile.PutVoid()) == S_OK);
  kpx::Bstr profile_bstr(kpx::ToUtf16(profile_text));
  VARIANT_BOOL loaded = VARIANT_FALSE;
  profile->loadXML(profile_bstr.Get(), &loaded);
  if (loaded != VARIANT_TRUE) return 0;

  ComPtr<IXH2XConverter> converter = fuzz_host::Converter(*host);
  ComPtr<IDispatch> page = host->Page(0);
  const std::u16string text = kpx::ToUtf16(input.substr(split + 4));
  for (const char16_t* mode : {u"design", u"sync"}) {
    // A document comes back only when the page XML loads with its namespaces.
    const std::optional<std::u16string> first =
        Convert(converter.Get(), page.Get(), profile.Get(), text, mode);
    Check(first.has_value());
    Check(Convert(converter.Get(), page.Get(), profile.Get(), text, mode) == first);
  }
  return 0;
}
