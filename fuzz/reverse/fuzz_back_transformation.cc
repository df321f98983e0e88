// Arbitrary text as an edited template for backTransformation and
// partialBackTransformationWithDOM, on a host page with components (some shown in no position,
// so that the formatter is asked): what they return always loads as namespace-well-formed XML
// with root Page, a failure is only one the operations may report, the page XML writer never
// needs its edit list's edit-by-edit replay, and reading the template in one scan gives exactly
// what the two passes give one after the other. An input whose first byte is odd is read as UTF-16
// code units (lone surrogates and control characters included), else as UTF-8.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "com/bstr.h"
#include "kpx/converter.h"
#include "markup/attribute_escaping.h"
#include "markup/text_edit_list.h"
#include "reverse/back_transformation.h"
#include "server/registration.h"
#include "server/xh2x_converter.h"
#include "x2x/fixture_host.h"
#include "x2x/host_file_loader.h"

namespace {

constexpr std::string_view kHost =
    "<host><project directory=\"/site\"><value name=\"_siteLanguage\" value=\"en\"/>"
    "<setting name=\"publishTemplate\" value=\"true\"/></project>"
    "<formatter><format><extent>&lt;b kpsServiceable=\"true\" kpsId=\"3\"&gt;x&lt;/b&gt;</extent>"
    "<result>]]&gt;{L}</result></format></formatter>"
    "<page id=\"1\" name=\"P\" file=\"P.html\" directory=\"/site/pages\">"
    "<component id=\"2\" name=\"G\" type=\"Grid\" container=\"true\">"
    "<component id=\"3\" name=\"L\" type=\"Label\"/><component id=\"4\" name=\"P\" type=\"Panel\" "
    "container=\"true\" position=\"1\"/></component>"
    "<component id=\"5\" name=\"K\" type=\"Link\" element=\"a:b\" position=\"2\"/>"
    "<component id=\"6\" name=\"R\" type=\"Record\" container=\"true\"/></page></host>";

std::optional<std::string> NoFiles(const std::filesystem::path&, std::string* error) {
  *error = "no files while fuzzing";
  return std::nullopt;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void NoMessages(void*, const char*, ...) {}

// Loads with the root Page (or, without one, as whatever single element it is).
void CheckLoads(std::u16string_view xml, bool page_root) {
  const std::string bytes = kpx::ToUtf8(xml);
  xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  Check(doc != nullptr);
  if (page_root) {
    xmlNode* root = xmlDocGetRootElement(doc);
    Check(root && std::string_view(reinterpret_cast<const char*>(root->name)) == "Page");
  }
  xmlFreeDoc(doc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static x2x::FixtureHost* host = [] {
    kpx::RegisterStandInClasses();
    xmlSetGenericErrorFunc(nullptr, &NoMessages);
    return new x2x::FixtureHost(x2x::ParseHostFile(kHost, "fuzz.xml", "/", &NoFiles),
                                [](const x2x::SwitchQuestion&) { return x2x::SwitchAnswer{}; });
  }();
  std::u16string text;
  if (size != 0 && (data[0] & 1) != 0) {
    for (size_t i = 1; i + 1 < size; i += 2) {
      text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
  } else {
    text = kpx::ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  }
  ComPtr<IXH2XConverter> converter;
  Check(kpx::CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter.PutVoid()) == S_OK);
  Check(converter->initialize(host->Application()) == S_OK);
  ComPtr<IDispatch> page = host->Page(0);
  kpx::Bstr input(text);

  kpx::Bstr xml;
  const HRESULT hr = converter->backTransformation(page.Get(), input.Get(), xml.Put());
  Check(hr == S_OK || hr == E_INVALIDARG);
  if (hr == S_OK) CheckLoads(xml.View(), true);

  // One scan and two passes agree (the converter's own call reads the profile and the registry;
  // here the default colour and no substitutions).
  kpx::PreprocessOptions options;
  options.colours = kpx::RemovedFontColours(std::nullopt);
  std::u16string by_scan[2];
  HRESULT status[2];
  for (int i = 0; i < 2; ++i) {
    kpx::TextEditList list;
    status[i] = kpx::BackTransformTemplate(
        list, page.Get(), input.View(), options,
        [&by_scan, i](std::u16string_view root, std::u16string_view rest) {
          by_scan[i].assign(root).append(rest);
        },
        i == 0 ? kpx::BackScan::kOne : kpx::BackScan::kTwo);
  }
  Check(status[0] == status[1] && by_scan[0] == by_scan[1]);

  // The writer alone, on the page and on a container: a single pass over the edit list.
  const std::uint64_t replayed = kpx::TextEditList::ReplayedListCount();
  for (ComPtr<IDispatch> parent : {page, host->Component(0, 2)}) {
    ComPtr<IComponentIDs> ids;
    ComPtr<IXMLDOMDocument> document;
    const HRESULT partial = converter->partialBackTransformationWithDOM(parent.Get(), input.Get(),
                                                                        ids.Put(), document.Put());
    Check(partial == S_OK || (partial == E_FAIL && parent.Get() != page.Get()));
    Check((partial == S_OK) == static_cast<bool>(document) && !ids == !document);
    if (document) {
      kpx::Bstr written;
      Check(document->get_xml(written.Put()) == S_OK);
      CheckLoads(written.View(), parent.Get() == page.Get());
    }
  }
  Check(kpx::TextEditList::ReplayedListCount() == replayed);
  kpx::SetDoubleEscapeQuotes(false);
  return 0;
}
