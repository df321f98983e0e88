// Memory running out at every allocation in turn, at each place where the library meets C: its
// exported functions, and the callbacks it hands to libxml2, libxslt and libtidy (and x2x's to
// libxml2). The exported functions and the callbacks are noexcept, so an exception that reached
// one would end this program; one that unwound through a C library's frames would leave its
// memory behind for the leak check of the sanitizer build. At each step the call answers its
// usual status or E_OUTOFMEMORY, and once memory is back it does what it did before.
//
// The program holds what the shared library holds (module_info.cc with the static modules), so
// the first calls also meet the class table's first registrations.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "base/status.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "kpx/kpxhtml2xml.h"
#include "server/xh2x_converter.h"
#include "support/failing_allocation.h"
#include "support/fake_host.h"
#include "x2x/located_xml.h"

extern "C" const char* KpxLibraryVersion() noexcept;

namespace {

using kpx::Bstr;

struct Boundary {
  const char* name;
  // One call across the boundary; `seen` gets what it produced, compared between clean runs. The
  // call's own code allocates nothing (`seen` has room reserved), so every refused allocation is
  // the library's.
  std::function<HRESULT(std::u16string& seen)> call;
  HRESULT success;
  bool allocates;  // false: it must not allocate at all, so it has no bad_alloc to let out
};

// Appends ASCII text without allocating.
void Append(std::u16string& seen, std::string_view text) {
  for (char c : text) seen.push_back(static_cast<char16_t>(c));
}

HRESULT Load(const Bstr& xml, ComPtr<IXMLDOMDocument>& doc) {
  HRESULT hr = CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                                doc.PutVoid());
  if (FAILED(hr)) return hr;
  VARIANT_BOOL ok = VARIANT_FALSE;
  hr = doc->loadXML(xml.Get(), &ok);
  return FAILED(hr) ? hr : ok == VARIANT_TRUE ? S_OK : E_OUTOFMEMORY;
}

HRESULT NewConverter(ComPtr<IXH2XConverter>& converter) {
  return kpx::CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter.PutVoid());
}

std::u16string Stylesheet(std::u16string_view body) {
  return u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'"
         u" xmlns:mw='urn:kpxhtml2xml:message-window' extension-element-prefixes='mw'>"
         u"<xsl:output method='text'/><xsl:param name='MsgWndPtr'/>"
         u"<xsl:template match='/'>" +
         std::u16string(body) + u"</xsl:template></xsl:stylesheet>";
}

class BoundaryAllocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_ =
        ::testing::TempDir() + "boundary_allocation_registry_" + std::to_string(getpid()) + ".xml";
    setenv("KPX_REGISTRY", registry_.c_str(), 1);
    app_ = kpx::MakeCom<kpx::testing::FakeApplication>(&host_);
  }
  void TearDown() override {
    unsetenv("KPX_REGISTRY");
    std::remove(registry_.c_str());
  }

  // performServiceXSLT of a stylesheet over a small document; `seen` gets the output and the
  // number of messages delivered.
  HRESULT ServiceXslt(const Bstr& stylesheet, std::u16string& seen) {
    ComPtr<IXMLDOMDocument> input, sheet;
    ComPtr<IXH2XConverter> converter;
    HRESULT hr = Load(input_xml_, input);
    if (SUCCEEDED(hr)) hr = Load(stylesheet, sheet);
    if (SUCCEEDED(hr)) hr = NewConverter(converter);
    if (SUCCEEDED(hr)) hr = converter->initialize(app_.Get());
    if (FAILED(hr)) return hr;
    host_.messages.clear();
    Bstr out;
    hr = converter->performServiceXSLT(input.Get(), sheet.Get(), out.Put());
    seen.assign(out.View());
    seen.push_back(u'|');
    seen.push_back(static_cast<char16_t>(u'0' + host_.messages.size()));
    return hr;
  }

  const Bstr input_xml_{u"<order id='7'>Tea</order>"};

  std::string registry_;
  kpx::testing::HostRecord host_;
  ComPtr<kpx::testing::FakeApplication> app_;
};

TEST_F(BoundaryAllocationTest, EveryBoundarySurvivesEveryFailedAllocation) {
  const std::string orders = std::string(KPX_SOURCE_DIR) + "/examples/xslt/orders.xml";
  const Bstr add_message(Stylesheet(
      u"<xsl:value-of select='mw:add-message($MsgWndPtr, 2, concat(\"order \", /order))'/>"));
  const Bstr read_document(Stylesheet(u"<xsl:value-of select=\"count(document('" +
                                      kpx::ToUtf16(orders) + u"')//order)\"/>"));
  const Bstr message(Stylesheet(u"<xsl:message>a note</xsl:message>done"));
  const Bstr not_compiling(Stylesheet(u"<xsl:value-of select='1 +'/>"));
  const Bstr bad_xml(u"<a><b></a>");
  const Bstr page(u"<p>one<p>two<table><td>cell</table><font><b>x</font></b>");
  const Boundary boundaries[] = {
      // The exported functions.
      {"DllGetClassObject",
       [](std::u16string&) {
         ComPtr<IClassFactory> factory;
         return DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid());
       },
       S_OK, true},
      {"DllCanUnloadNow",
       [](std::u16string&) { return SUCCEEDED(DllCanUnloadNow()) ? S_OK : E_FAIL; }, S_OK, false},
      {"DllRegisterServer", [](std::u16string&) { return DllRegisterServer(); }, S_OK, true},
      {"DllUnregisterServer", [](std::u16string&) { return DllUnregisterServer(); }, S_OK, true},
      {"SysAllocString, SysReAllocStringLen, SysStringLen, SysFreeString",
       [](std::u16string& seen) {
         BSTR text = SysAllocString(u"text");
         const bool grown = SysReAllocStringLen(&text, u"longer text", 11) != 0;
         seen.assign(text, SysStringLen(text));
         SysFreeString(text);
         return grown ? S_OK : E_OUTOFMEMORY;
       },
       S_OK, false},
      {"VariantInit, VariantCopy, VariantClear",
       [](std::u16string&) {
         VARIANT from, to;
         VariantInit(&from);
         VariantInit(&to);
         from.vt = VT_BSTR;
         from.bstrVal = SysAllocString(u"text");
         const HRESULT hr = VariantCopy(&to, &from);
         VariantClear(&from);
         VariantClear(&to);
         return hr;
       },
       S_OK, false},
      {"VariantChangeType to text",
       [](std::u16string& seen) {
         VARIANT v;
         VariantInit(&v);
         v.vt = VT_R8;
         v.dblVal = 1.5;
         const HRESULT hr = VariantChangeType(&v, &v, 0, VT_BSTR);
         if (hr == S_OK) seen.assign(v.bstrVal, SysStringLen(v.bstrVal));
         VariantClear(&v);
         return hr;
       },
       S_OK, false},
      {"VariantChangeType from text",
       [](std::u16string& seen) {
         VARIANT v;
         VariantInit(&v);
         v.vt = VT_BSTR;
         v.bstrVal = SysAllocString(u"  -1234.5000000000000000000001  ");
         const HRESULT hr = VariantChangeType(&v, &v, 0, VT_R8);
         if (hr == S_OK) seen = v.dblVal == -1234.5 ? u"-1234.5" : u"?";
         VariantClear(&v);
         return hr;
       },
       S_OK, true},
      {"CoCreateInstance",
       [](std::u16string&) {
         ComPtr<IXMLDOMDocument> doc;
         return CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                                 doc.PutVoid());
       },
       S_OK, true},
      {"KpxRegisterClass",
       [](std::u16string&) {
         // Enough new classes to make the table grow; all taken out again.
         HRESULT hr = S_OK;
         for (uint16_t i = 0; i < 64; ++i) {
           const CLSID clsid = {0x5A1E0000u + i, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
           if (SUCCEEDED(hr)) hr = KpxRegisterClass(clsid, &kpx::CreateXH2XConverter);
         }
         for (uint16_t i = 0; i < 64; ++i) {
           const CLSID clsid = {0x5A1E0000u + i, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
           KpxRegisterClass(clsid, nullptr);
         }
         return hr;
       },
       S_OK, true},
      {"StringFromGUID2, CLSIDFromString",
       [](std::u16string& seen) {
         OLECHAR text[39];
         CLSID back{};
         if (StringFromGUID2(CLSID_XH2XConverter, text, 39) != 39) return E_FAIL;
         seen = text;
         return CLSIDFromString(text, &back) == S_OK && back == CLSID_XH2XConverter ? S_OK : E_FAIL;
       },
       S_OK, false},
      {"KpxLibraryVersion",
       [](std::u16string& seen) {
         Append(seen, KpxLibraryVersion());
         return S_OK;
       },
       S_OK, false},
      // The callbacks, reached through the operations that hand them over.
      {"libxslt extension function",
       [&](std::u16string& seen) { return ServiceXslt(add_message, seen); }, S_OK, true},
      {"libxslt document loader",
       [&](std::u16string& seen) { return ServiceXslt(read_document, seen); }, S_OK, true},
      {"libxslt message channel", [&](std::u16string& seen) { return ServiceXslt(message, seen); },
       S_OK, true},
      {"libxml2 and libxslt error channels on a compile failure",
       [&](std::u16string& seen) { return ServiceXslt(not_compiling, seen); }, E_FAIL, true},
      {"libxml2 parser error handler",
       [&](std::u16string& seen) {
         ComPtr<IXMLDOMDocument> doc;
         HRESULT hr = CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL,
                                       IXMLDOMDocument::kIID, doc.PutVoid());
         if (FAILED(hr)) return hr;
         VARIANT_BOOL ok = VARIANT_TRUE;
         hr = doc->loadXML(bad_xml.Get(), &ok);
         ComPtr<IXMLDOMParseError> error;
         Bstr reason;
         if (SUCCEEDED(doc->get_parseError(error.Put())) && error) error->get_reason(reason.Put());
         seen.assign(reason.View());
         return hr;
       },
       S_FALSE, true},
      {"libtidy allocator and report callback",
       [&](std::u16string& seen) {
         ComPtr<IXH2XConverter> converter;
         HRESULT hr = NewConverter(converter);
         if (FAILED(hr)) return hr;
         ComPtr<IXMLDOMDocument> doc;
         hr = converter->convertRawWithDOM(page.Get(), doc.Put());
         Bstr xml;
         if (doc && FAILED(doc->get_xml(xml.Put()))) return E_OUTOFMEMORY;
         seen.assign(xml.View());
         return hr;
       },
       S_OK, true},
      {"x2x host file reader's libxml2 callbacks",
       [](std::u16string&) {
         return kpx::Guarded([] {
           x2x::LocatedXml xml("<host>\n  <page id='1'><component/></page>\n</host>", "host.xml");
           return xml.Root() ? S_OK : E_FAIL;
         });
       },
       S_OK, true},
      {"x2x host file reader's libxml2 error callbacks",
       [](std::u16string& seen) {
         return kpx::Guarded([&] {
           try {
             x2x::LocatedXml xml("<host>\n  <page></host>", "host.xml");
           } catch (const x2x::HostFileError& error) {
             Append(seen, error.what());
             return E_FAIL;
           }
           return S_OK;
         });
       },
       E_FAIL, true},
  };

  for (const Boundary& boundary : boundaries) {
    SCOPED_TRACE(boundary.name);
    long out_of_memory = 0;
    std::u16string seen;
    seen.reserve(1 << 14);
    for (long allowed = 0;; ++allowed) {
      seen.clear();
      kpx::testing::LimitAllocations(allowed);
      HRESULT status = E_UNEXPECTED;
      try {
        status = boundary.call(seen);
      } catch (...) {
        ADD_FAILURE() << "an exception got out after " << allowed << " allocations";
      }
      const long refused = kpx::testing::RefusedAllocations();
      kpx::testing::UnlimitAllocations();
      if (refused == 0) {
        EXPECT_EQ(status, boundary.success);
        break;
      }
      if (status == E_OUTOFMEMORY) {
        ++out_of_memory;
      } else {
        EXPECT_EQ(status, boundary.success) << allowed << " allocations allowed";
      }
    }
    EXPECT_EQ(out_of_memory > 0, boundary.allocates);
    std::u16string again;
    EXPECT_EQ(boundary.call(again), boundary.success);
    EXPECT_EQ(kpx::ToUtf8(again), kpx::ToUtf8(seen));
  }
}

}  // namespace
