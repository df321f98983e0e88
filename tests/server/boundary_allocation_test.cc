// Memory running out at every allocation in turn, at each place where the library meets C: its
// exported functions, and the callbacks it hands to libxml2, libxslt and libtidy (and x2x's to
// libxml2). All of them are noexcept, so an exception reaching one would end this program; one
// unwinding through a C library's frames would leave memory behind for the sanitizer build's leak
// check. Each call answers its usual status or E_OUTOFMEMORY, and once memory is back it does what
// it did before. The program holds what the shared library holds (module_info.cc and the static
// modules), so the first calls also meet the class table's first registrations.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "base/utf.h"
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
  // One call across the boundary. Its own code allocates nothing (`seen`, what it produced for
  // the comparison of clean runs, has room reserved), so every refused allocation is the library's.
  std::function<HRESULT(std::u16string& seen)> call;
  HRESULT success;
  bool allocates;  // false: it allocates nothing, so it has no bad_alloc to let out
};

HRESULT Load(const Bstr& xml, ComPtr<IXMLDOMDocument>& doc) {
  HRESULT hr = CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                                doc.PutVoid());
  VARIANT_BOOL ok = VARIANT_FALSE;
  if (SUCCEEDED(hr)) hr = doc->loadXML(xml.Get(), &ok);
  return FAILED(hr) ? hr : ok == VARIANT_TRUE ? S_OK : S_FALSE;
}

// The exported functions that allocate nothing, each called once.
HRESULT AllocationFreeExports(std::u16string& seen) {
  VARIANT v, copy;
  VariantInit(&v);
  VariantInit(&copy);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(u"1.5");
  SysReAllocStringLen(&v.bstrVal, v.bstrVal, SysStringLen(v.bstrVal));
  HRESULT hr = VariantCopy(&copy, &v);
  if (SUCCEEDED(hr)) hr = VariantChangeType(&v, &copy, 0, VT_BSTR);
  seen.assign(v.bstrVal);
  VariantClear(&v);
  VariantClear(&copy);
  OLECHAR guid[39];
  CLSID back{};
  if (StringFromGUID2(CLSID_XH2XConverter, guid, 39) != 39 ||
      CLSIDFromString(guid, &back) != S_OK || *KpxLibraryVersion() == 0 ||
      FAILED(DllCanUnloadNow())) {
    return E_FAIL;
  }
  return hr;
}

TEST(BoundaryAllocationTest, EveryBoundarySurvivesEveryFailedAllocation) {
  const std::string registry = ::testing::TempDir() + "registry" + std::to_string(getpid());
  setenv("KPX_REGISTRY", registry.c_str(), 1);
  kpx::testing::HostRecord host;
  ComPtr<IDispatch> app = kpx::MakeCom<kpx::testing::FakeApplication>(&host);
  auto new_converter = [](ComPtr<IXH2XConverter>& converter) {
    return kpx::CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter.PutVoid());
  };
  const Bstr bad_xml(u"<a><b></a>"),
      page(u"<p>one<p>two<table><td>cell</table><font><b>x</font></b>");

  std::vector<Boundary> boundaries = {
      {"DllGetClassObject",
       [](std::u16string&) {
         ComPtr<IClassFactory> factory;
         return DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid());
       },
       S_OK, true},
      {"DllRegisterServer", [](std::u16string&) { return DllRegisterServer(); }, S_OK, true},
      {"DllUnregisterServer", [](std::u16string&) { return DllUnregisterServer(); }, S_OK, true},
      {"VariantChangeType from text",
       [](std::u16string& seen) {
         VARIANT v;
         VariantInit(&v);
         v.vt = VT_BSTR;
         v.bstrVal = SysAllocString(u"  -1234.5000000000000000000001 ");
         const HRESULT hr = VariantChangeType(&v, &v, 0, VT_R8);
         if (hr == S_OK && v.dblVal == -1234.5) seen = u"-1234.5";
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
         HRESULT hr = S_OK;  // enough classes to make the table grow, all taken out again
         for (uint32_t i = 0; i < 64; ++i) {
           if (SUCCEEDED(hr)) hr = KpxRegisterClass({i, 1, 2, {}}, &kpx::CreateXH2XConverter);
         }
         for (uint32_t i = 0; i < 64; ++i) KpxRegisterClass({i, 1, 2, {}}, nullptr);
         return hr;
       },
       S_OK, true},
      {"the other exported functions", AllocationFreeExports, S_OK, false},
      {"libxml2 parser error handler",
       [&](std::u16string& seen) {
         ComPtr<IXMLDOMDocument> doc;
         const HRESULT hr = Load(bad_xml, doc);
         ComPtr<IXMLDOMParseError> error;
         Bstr reason;
         if (doc && SUCCEEDED(doc->get_parseError(error.Put()))) error->get_reason(reason.Put());
         seen.assign(reason.View());
         return hr;
       },
       S_FALSE, true},
      {"libtidy allocator and report callback",
       [&](std::u16string& seen) {
         ComPtr<IXH2XConverter> converter;
         ComPtr<IXMLDOMDocument> doc;
         HRESULT hr = new_converter(converter);
         if (SUCCEEDED(hr)) hr = converter->convertRawWithDOM(page.Get(), doc.Put());
         Bstr xml;
         if (doc && FAILED(doc->get_xml(xml.Put()))) return E_OUTOFMEMORY;
         seen.assign(xml.View());
         return hr;
       },
       S_OK, true},
      {"x2x host file reader's libxml2 callbacks",
       [](std::u16string& seen) {
         return kpx::Guarded([&] {
           for (std::string_view text : {"<!DOCTYPE h><h/>", "<host>\n  <page><x/></host>"}) {
             try {
               x2x::LocatedXml xml(text, "host.xml");
             } catch (const x2x::HostFileError& error) {
               for (const char* c = error.what(); *c; ++c)
                 seen.push_back(static_cast<char16_t>(*c));
             }
           }
           return S_OK;
         });
       },
       S_OK, true},
  };
  // libxslt's: the extension function, the document loader, the error and message channels.
  const std::string orders = std::string(KPX_SOURCE_DIR) + "/examples/xslt/orders.xml";
  const std::pair<std::u16string, HRESULT> transforms[] = {
      {u"<xsl:value-of select='mw:add-message($MsgWndPtr, 2, concat(\"order \", /order))'/>", S_OK},
      {u"<xsl:value-of select=\"count(document('" + kpx::ToUtf16(orders) + u"')//order)\"/>", S_OK},
      {u"<xsl:message>a note</xsl:message>done", S_OK},
      {u"<xsl:value-of select='1 +'/>", E_FAIL},
  };
  const Bstr input(u"<order id='7'>Tea</order>");
  std::vector<Bstr> stylesheets;
  stylesheets.reserve(std::size(transforms));  // the calls hold their addresses
  for (const auto& [body, status] : transforms) {
    stylesheets.emplace_back(
        u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'"
        u" xmlns:mw='urn:kpxhtml2xml:message-window'><xsl:output method='text'/>"
        u"<xsl:param name='MsgWndPtr'/><xsl:template match='/'>" +
        body + u"</xsl:template></xsl:stylesheet>");
    boundaries.push_back({"performServiceXSLT",
                          [&, sheet = &stylesheets.back()](auto& seen) {
                            ComPtr<IXMLDOMDocument> in, style;
                            ComPtr<IXH2XConverter> converter;
                            HRESULT hr = Load(input, in);
                            if (hr == S_OK) hr = Load(*sheet, style);
                            if (hr == S_OK) hr = new_converter(converter);
                            if (hr == S_OK) hr = converter->initialize(app.Get());
                            if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
                            host.messages.clear();
                            Bstr out;
                            hr = converter->performServiceXSLT(in.Get(), style.Get(), out.Put());
                            seen.assign(out.View());
                            seen.push_back(static_cast<char16_t>(u'0' + host.messages.size()));
                            return hr;
                          },
                          status, true});
  }

  for (const Boundary& boundary : boundaries) {
    SCOPED_TRACE(boundary.name);
    long out_of_memory = 0;
    std::u16string seen, again;
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
    EXPECT_EQ(boundary.call(again), boundary.success);
    EXPECT_EQ(kpx::ToUtf8(again), kpx::ToUtf8(seen));
  }
  unsetenv("KPX_REGISTRY");
  std::remove(registry.c_str());
}

}  // namespace
