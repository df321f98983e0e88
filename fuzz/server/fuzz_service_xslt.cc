// Fuzz target: performServiceXSLT with stylesheet text and message-window call arguments from the
// input, and a number handed to an XSL processor as a parameter. The input is lines:
//   1: a number (from_chars text: "1.5", "-0", "1e308", "inf", "nan"), the processor's $n
//   2-4: the three XPath arguments of an mw:add-message call (empty: $MsgWndPtr, 1, 'x')
//   the rest: more of the template's body (stylesheet text)
// Invariants: the operation answers S_OK or E_FAIL; every message the host receives has kind 1,
// 2 or 3; a call that answers true was given the transform's own handle and a valid kind, and
// its text reached the host; $n reaches the stylesheet as the same number, written with a
// decimal point whatever the locale (the target runs under de_DE.UTF-8 when it is installed).
//
// Every run must stay short, so text that could make a transform run without bound is skipped:
// loops and recursion (for-each, apply-templates, call-template), variables (each can double a
// string), EXSLT (its functions namespace recurses, str:padding allocates at will), document()
// (reads files) and character references (which could spell any of those).
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "com/bstr.h"
#include "server/registration.h"
#include "server/xh2x_converter.h"
#include "support/fake_host.h"

namespace {

using kpx::Bstr;

constexpr size_t kMaxInput = 2048;

constexpr std::string_view kSkipped[] = {"for-each", "apply-",    "template", "variable",
                                         "param",    "exslt.org", "document", "&#",
                                         "import",   "include",   "evaluate", "padding"};

void Check(bool condition) {
  if (!condition) std::abort();
}

// Text for an XML attribute value in double quotes.
std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '"') {
      out += "&quot;";
    } else {
      out += c;
    }
  }
  return out;
}

std::string_view NextLine(std::string_view& text) {
  const size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  return line;
}

ComPtr<IXMLDOMDocument> Load(const std::string& utf8) {
  ComPtr<IXMLDOMDocument> doc;
  Check(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                         doc.PutVoid()) == S_OK);
  Bstr text(kpx::ToUtf16(utf8));
  VARIANT_BOOL ok = VARIANT_FALSE;
  Check(SUCCEEDED(doc->loadXML(text.Get(), &ok)));
  return ok == VARIANT_TRUE ? doc : nullptr;
}

const char kInput[] = "<order id='7'><item>Tea</item><item price='1.5'>Cake</item></order>";
// Between the fields of the output: a private-use character, which XML allows in text.
constexpr std::string_view kSeparator = "\xEE\x80\x80";  // U+E000

// The mw:add-message call with the given arguments, then what the checks need to know of them.
void CheckBridge(std::string_view body, std::string_view handle, std::string_view kind,
                 std::string_view text) {
  const std::string a1 = handle.empty() ? "$MsgWndPtr" : Escaped(handle);
  const std::string a2 = kind.empty() ? "1" : Escaped(kind);
  const std::string a3 = text.empty() ? "'x'" : Escaped(text);
  const std::string sheet =
      "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'"
      " xmlns:mw='urn:kpxhtml2xml:message-window' extension-element-prefixes='mw'>"
      "<xsl:output method='text'/><xsl:param name='AppPath'/><xsl:param name='MsgWndPtr'/>"
      "<xsl:template match='/'>" +
      std::string(body) +
      "<xsl:text>\xEE\x80\x80</xsl:text><xsl:value-of select=\"mw:add-message(" + a1 + ", " + a2 +
      ", " + a3 + ")\"/><xsl:text>\xEE\x80\x80</xsl:text><xsl:value-of select=\"" + a1 +
      "\"/><xsl:text>\xEE\x80\x80</xsl:text><xsl:value-of select=\"" + a2 +
      "\"/><xsl:text>\xEE\x80\x80</xsl:text><xsl:value-of select=\"" + a3 +
      "\"/><xsl:text>\xEE\x80\x80</xsl:text><xsl:value-of select='$MsgWndPtr'/>"
      "</xsl:template></xsl:stylesheet>";
  ComPtr<IXMLDOMDocument> stylesheet = Load(sheet);
  if (!stylesheet) return;  // the text broke the stylesheet's XML
  ComPtr<IXMLDOMDocument> input = Load(kInput);
  Check(static_cast<bool>(input));

  kpx::testing::HostRecord host;
  ComPtr<kpx::testing::FakeApplication> app = kpx::MakeCom<kpx::testing::FakeApplication>(&host);
  ComPtr<kpx::XH2XConverter> converter = kpx::MakeCom<kpx::XH2XConverter>();
  Check(converter->initialize(app.Get()) == S_OK);
  Bstr out;
  const HRESULT hr = converter->performServiceXSLT(input.Get(), stylesheet.Get(), out.Put());
  Check(hr == S_OK || hr == E_FAIL);
  for (const auto& [message_kind, message_text] : host.messages) {
    Check(message_kind >= 1 && message_kind <= 3);
  }
  if (hr != S_OK) return;

  // The fields after the body's output (which may hold separators of its own).
  const std::string output = kpx::ToUtf8(out.View());
  std::string_view fields[5];
  size_t end = output.size();
  for (int i = 4; i >= 0; --i) {
    Check(end > 0);
    const size_t start = output.rfind(kSeparator, end - 1);
    Check(start != std::string::npos && start + kSeparator.size() <= end);
    fields[i] =
        std::string_view(output).substr(start + kSeparator.size(), end - start - kSeparator.size());
    end = start;
  }
  const auto& [result, handle_text, kind_text, message, own_handle] = fields;
  if (result != "true") return;
  double handle_value = 0, kind_value = 0, own_value = 0;
  Check(std::from_chars(handle_text.data(), handle_text.data() + handle_text.size(), handle_value)
            .ptr == handle_text.data() + handle_text.size());
  Check(std::from_chars(own_handle.data(), own_handle.data() + own_handle.size(), own_value).ptr ==
        own_handle.data() + own_handle.size());
  Check(handle_value == own_value);
  Check(std::from_chars(kind_text.data(), kind_text.data() + kind_text.size(), kind_value).ptr ==
        kind_text.data() + kind_text.size());
  Check(kind_value == 1 || kind_value == 2 || kind_value == 3);
  bool delivered = false;
  for (const auto& [message_kind, message_text] : host.messages) {
    delivered |= message_kind == kind_value && kpx::ToUtf8(message_text) == message;
  }
  Check(delivered);
}

// The number as the stylesheet sees it, written by libxml2.
void CheckNumberParameter(double n) {
  ComPtr<IXMLDOMDocument> stylesheet = Load(
      "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
      "<xsl:output method='text'/><xsl:param name='n'/>"
      "<xsl:template match='/'><xsl:value-of select='$n'/></xsl:template></xsl:stylesheet>");
  ComPtr<IXMLDOMDocument> input = Load(kInput);
  Check(stylesheet && input);
  ComPtr<IXSLTemplate> xsl;
  Check(CoCreateInstance(CLSID_XSLTemplate, nullptr, CLSCTX_ALL, IXSLTemplate::kIID,
                         xsl.PutVoid()) == S_OK);
  Check(xsl->putref_stylesheet(stylesheet.Get()) == S_OK);
  ComPtr<IXSLProcessor> processor;
  Check(xsl->createProcessor(processor.Put()) == S_OK);
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_DISPATCH;
  value.pdispVal = input.Get();
  Check(processor->put_input(value) == S_OK);
  value.vt = VT_R8;
  value.dblVal = n;
  Check(processor->addParameter(Bstr(u"n").Get(), value, nullptr) == S_OK);
  VARIANT_BOOL done = VARIANT_FALSE;
  Check(processor->transform(&done) == S_OK && done == VARIANT_TRUE);
  VARIANT output;
  Check(processor->get_output(&output) == S_OK && output.vt == VT_BSTR);
  const std::string text = kpx::ToUtf8(kpx::BstrView(output.bstrVal));
  VariantClear(&output);

  if (std::isnan(n)) {
    Check(text == "NaN");
  } else if (std::isinf(n)) {
    Check(text == (n > 0 ? "Infinity" : "-Infinity"));
  } else {
    // Whole text read back: a decimal comma would stop the reading.
    double back = 0;
    Check(std::from_chars(text.data(), text.data() + text.size(), back).ptr ==
          text.data() + text.size());
    // libxml2 reads and writes about 15 significant digits, and not the extremes of the range.
    const double magnitude = std::fabs(n);
    if (magnitude == 0) {
      Check(back == 0);
    } else if (magnitude > 1e-280 && magnitude < 1e280) {
      Check(std::fabs(back - n) <= 1e-12 * magnitude);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    kpx::RegisterStandInClasses();
    std::setlocale(LC_ALL, "de_DE.UTF-8");  // left as "C" when the locale is not installed
    return true;
  }();
  (void)ready;
  if (size > kMaxInput) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (kpx::FindInvalidUtf8(text)) return 0;
  for (std::string_view word : kSkipped) {
    if (text.find(word) != std::string_view::npos) return 0;
  }
  if (text.find(kSeparator) != std::string_view::npos ||
      text.find('\0') != std::string_view::npos) {
    return 0;
  }
  const std::string_view number = NextLine(text);
  const std::string_view handle = NextLine(text);
  const std::string_view kind = NextLine(text);
  const std::string_view message = NextLine(text);
  CheckBridge(text, handle, kind, message);

  double n = 0;
  const auto parsed = std::from_chars(number.data(), number.data() + number.size(), n);
  if (parsed.ec == std::errc() && parsed.ptr == number.data() + number.size()) {
    CheckNumberParameter(n);
  }
  return 0;
}
