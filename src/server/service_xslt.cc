// performServiceXSLT: a transform whose stylesheet can reach the host's message window.
//
// Stylesheets get two parameters, "AppPath" (the library's folder) and "MsgWndPtr" (a handle
// number of the running transform), and two extension functions in the namespace
// kMessageWindowNamespace that act on the bridge of the running transform:
//   add-message(handle, kind, text)  delivers text as a message of kind 1, 2 or 3; true when sent
//   close(handle)                    closes the bridge; true when the handle was the right one
// A handle that is not the running transform's gets nothing done: no number that a stylesheet
// passes ever becomes a pointer.
#include <atomic>
#include <charconv>
#include <random>
#include <string_view>

#include "base/module_paths.h"
#include "base/stage_timer.h"
#include "base/status.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "com/variant_holder.h"
#include "server/message_window_bridge.h"
#include "server/xh2x_converter.h"
#include "xmldom/xsl_processor.h"

namespace kpx {

namespace {

constexpr const char* kMessageWindowNamespace = "urn:kpxhtml2xml:message-window";

// Handle numbers start at a random place so that a stylesheet cannot expect a value.
LONG NextHandle() {
  static std::atomic<uint32_t> next{[] {
    std::random_device device;
    return static_cast<uint32_t>(device()) & 0x3FFFFFFFu;
  }()};
  return static_cast<LONG>((next++ & 0x3FFFFFFFu) + 1);
}

// A handle or a kind as the function receives it: XPath writes a number that is a 32-bit integer
// in plain decimal digits ("12", "-3"), and anything else ("1.5", "1e+10", "NaN", "Infinity",
// an out-of-range value, text) is not one.
bool ParseInteger(std::string_view text, LONG* value) {
  LONG parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  *value = parsed;
  return true;
}

std::vector<XsltExtensionFunction> BridgeFunctions(ComPtr<IMessageWindowBridge> bridge,
                                                   LONG handle) {
  auto owns = [handle](const std::string& text) {
    LONG value = 0;
    return ParseInteger(text, &value) && value == handle;
  };
  std::vector<XsltExtensionFunction> functions;
  functions.push_back({kMessageWindowNamespace, "add-message",
                       [bridge, owns](const std::vector<std::string>& args) {
                         if (args.size() != 3 || !owns(args[0])) return false;
                         LONG kind = 0;
                         if (!ParseInteger(args[1], &kind) || kind < MessageInfo ||
                             kind > MessageError) {
                           return false;
                         }
                         Bstr text(ToUtf16(args[2]));
                         return SUCCEEDED(bridge->AddMessage(kind, text.Get()));
                       }});
  functions.push_back(
      {kMessageWindowNamespace, "close", [bridge, owns](const std::vector<std::string>& args) {
         return args.size() == 1 && owns(args[0]) && SUCCEEDED(bridge->Close());
       }});
  return functions;
}

}  // namespace

HRESULT XH2XConverter::performServiceXSLT(IXMLDOMNode* pXMLNode, IXMLDOMNode* pStyleSheet,
                                          BSTR* bstrOut) {
  return Guarded([&]() -> HRESULT {
    if (!pXMLNode || !pStyleSheet) return E_INVALIDARG;
    if (!bstrOut) return E_POINTER;
    if (!application_) return E_FAIL;
    StageTimer timer("!xslt");

    ComPtr<IXSLTemplate> xsl_template;
    HRESULT hr = CoCreateInstance(CLSID_XSLTemplate, nullptr, CLSCTX_ALL, IXSLTemplate::kIID,
                                  xsl_template.PutVoid());
    if (FAILED(hr)) return hr;
    hr = xsl_template->putref_stylesheet(pStyleSheet);
    if (FAILED(hr)) return hr;
    ComPtr<IXSLProcessor> processor;
    hr = xsl_template->createProcessor(processor.Put());
    if (FAILED(hr)) return hr;
    if (!processor) return E_FAIL;

    Bstr no_namespace(u"");
    Bstr app_path_name(u"AppPath");
    hr = processor->addParameter(app_path_name.Get(),
                                 VariantHolder::Text(ToUtf16(ModuleDirectory())).Ref(),
                                 no_namespace.Get());
    if (FAILED(hr)) return hr;

    ComPtr<IMessageWindowBridge> bridge = MakeCom<MessageWindowBridge>();
    bridge->SetApplication(application_.Get());
    const LONG handle = NextHandle();
    Bstr handle_name(u"MsgWndPtr");
    hr = processor->addParameter(handle_name.Get(), VariantHolder::Long(handle).Ref(),
                                 no_namespace.Get());
    if (SUCCEEDED(hr)) {
      if (ComPtr<IXslExtensionHost> host = processor.As<IXslExtensionHost>()) {
        host->SetExtensionFunctions(BridgeFunctions(bridge, handle));
      }
      VARIANT input;  // borrows the caller's node for the call: not cleared
      VariantInit(&input);
      input.vt = VT_DISPATCH;
      input.pdispVal = pXMLNode;
      hr = processor->put_input(input);
      VARIANT_BOOL done = VARIANT_FALSE;
      if (SUCCEEDED(hr)) hr = processor->transform(&done);
      if (SUCCEEDED(hr) && done != VARIANT_FALSE) {
        VariantHolder output;
        hr = processor->get_output(output.Put());
        if (SUCCEEDED(hr) && output->vt == VT_BSTR) {
          *bstrOut = output.Release().bstrVal;  // ownership moves to the caller
        }
      }
      // The functions hold the bridge: drop them before the bridge closes.
      if (ComPtr<IXslExtensionHost> host = processor.As<IXslExtensionHost>()) {
        host->SetExtensionFunctions({});
      }
    }
    bridge->Close();
    return hr;
  });
}

}  // namespace kpx
