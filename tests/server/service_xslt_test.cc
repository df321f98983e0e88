// performServiceXSLT: parameters, the message-window functions, and forged handles.
#include <gtest/gtest.h>

#include "base/module_paths.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "server/registration.h"
#include "server/xh2x_converter.h"
#include "support/fake_host.h"

namespace {

const bool kClassesRegistered = (kpx::RegisterStandInClasses(), true);

using kpx::Bstr;
using kpx::testing::FakeApplication;
using kpx::testing::HostRecord;

ComPtr<IXMLDOMDocument> Load(std::u16string_view xml) {
  ComPtr<IXMLDOMDocument> doc;
  EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                             doc.PutVoid()),
            S_OK);
  Bstr text(xml);
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(doc->loadXML(text.Get(), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  return doc;
}

std::u16string Stylesheet(std::u16string_view body) {
  return u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'"
         u" xmlns:mw='urn:kpxhtml2xml:message-window' extension-element-prefixes='mw'>"
         u"<xsl:output method='text'/><xsl:param name='AppPath'/><xsl:param name='MsgWndPtr'/>"
         u"<xsl:template match='/'>" +
         std::u16string(body) + u"</xsl:template></xsl:stylesheet>";
}

class ServiceXsltTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = kpx::MakeCom<FakeApplication>(&host_);
    converter_ = kpx::MakeCom<kpx::XH2XConverter>();
    input_ = Load(u"<order id='7'>Tea</order>");
  }
  HRESULT Run(std::u16string_view body, Bstr* out) {
    ComPtr<IXMLDOMDocument> sheet = Load(Stylesheet(body));
    return converter_->performServiceXSLT(input_.Get(), sheet.Get(), out->Put());
  }

  HostRecord host_;
  ComPtr<FakeApplication> app_;
  ComPtr<kpx::XH2XConverter> converter_;
  ComPtr<IXMLDOMDocument> input_;
};

TEST_F(ServiceXsltTest, NeedsArgumentsAndAnApplication) {
  Bstr out;
  ComPtr<IXMLDOMDocument> sheet = Load(Stylesheet(u"x"));
  EXPECT_EQ(converter_->performServiceXSLT(nullptr, sheet.Get(), out.Put()), E_INVALIDARG);
  EXPECT_EQ(converter_->performServiceXSLT(input_.Get(), nullptr, out.Put()), E_INVALIDARG);
  EXPECT_EQ(converter_->performServiceXSLT(input_.Get(), sheet.Get(), nullptr), E_POINTER);
  EXPECT_EQ(converter_->performServiceXSLT(input_.Get(), sheet.Get(), out.Put()), E_FAIL);
}

TEST_F(ServiceXsltTest, TransformsWithTheLibraryFolder) {
  ASSERT_EQ(converter_->initialize(app_.Get()), S_OK);
  Bstr out;
  ASSERT_EQ(Run(u"<xsl:value-of select='/order/@id'/>|<xsl:value-of select='$AppPath'/>", &out),
            S_OK);
  EXPECT_EQ(out.View(), u"7|" + kpx::ToUtf16(kpx::ModuleDirectory()));
}

TEST_F(ServiceXsltTest, StylesheetReachesTheMessageWindowThroughItsHandle) {
  ASSERT_EQ(converter_->initialize(app_.Get()), S_OK);
  Bstr out;
  ASSERT_EQ(
      Run(u"<xsl:value-of select='mw:add-message($MsgWndPtr, 2, concat(\"order \", /order))'/>"
          u"<xsl:value-of select='mw:close($MsgWndPtr)'/>",
          &out),
      S_OK);
  EXPECT_EQ(out.View(), u"truetrue");
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].first, MessageWarning);
  EXPECT_EQ(host_.messages[0].second, u"order Tea");
}

TEST_F(ServiceXsltTest, ForgedHandlesGetNothing) {
  ASSERT_EQ(converter_->initialize(app_.Get()), S_OK);
  struct Row {
    const char* name;
    std::u16string call;
  };
  const Row rows[] = {
      {"another number", u"mw:add-message($MsgWndPtr + 1, 3, 'x')"},
      {"a pointer-like number", u"mw:add-message(140737488355328, 3, 'x')"},
      {"text", u"mw:add-message('bridge', 3, 'x')"},
      {"bad kind", u"mw:add-message($MsgWndPtr, 9, 'x')"},
      {"wrong count", u"mw:add-message($MsgWndPtr, 'x')"},
      // Numbers no 32-bit integer can hold, nor any conversion to one.
      {"beyond 32 bits", u"mw:add-message(10000000000, 1, 'x')"},
      {"the handle plus 2 to the 32", u"mw:add-message($MsgWndPtr + 4294967296, 1, 'x')"},
      {"NaN", u"mw:add-message(number('nan'), 1, 'x')"},
      {"infinity", u"mw:add-message(1 div 0, 1, 'x')"},
      {"minus infinity", u"mw:add-message(-1 div 0, 1, 'x')"},
      {"a fraction", u"mw:add-message($MsgWndPtr + 0.5, 1, 'x')"},
      {"kind beyond 32 bits", u"mw:add-message($MsgWndPtr, 4294967297, 'x')"},
      {"kind NaN", u"mw:add-message($MsgWndPtr, 0 div 0, 'x')"},
      {"kind as a fraction", u"mw:add-message($MsgWndPtr, 1.5, 'x')"},
      {"handle as text with blanks", u"mw:add-message(concat(' ', $MsgWndPtr), 1, 'x')"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Bstr out;
    ASSERT_EQ(Run(u"<xsl:value-of select=\"" + row.call + u"\"/>", &out), S_OK);
    EXPECT_EQ(out.View(), u"false");
  }
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(ServiceXsltTest, BrokenStylesheetFails) {
  ASSERT_EQ(converter_->initialize(app_.Get()), S_OK);
  ComPtr<IXMLDOMDocument> sheet = Load(u"<notxsl/>");
  Bstr out;
  EXPECT_EQ(converter_->performServiceXSLT(input_.Get(), sheet.Get(), out.Put()), E_FAIL);
  EXPECT_TRUE(out.IsNull());
}

}  // namespace

namespace {

ComPtr<IXMLDOMDocument> LoadFile(const std::string& path) {
  ComPtr<IXMLDOMDocument> doc;
  EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                             doc.PutVoid()),
            S_OK);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(kpx::ToUtf16(path).c_str());
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(doc->load(source, &ok), S_OK) << path;
  VariantClear(&source);
  return doc;
}

// The stylesheet the README shows works as it says.
TEST(ServiceXsltExampleTest, OrderReportExample) {
  HostRecord host;
  ComPtr<FakeApplication> app = kpx::MakeCom<FakeApplication>(&host);
  ComPtr<kpx::XH2XConverter> converter = kpx::MakeCom<kpx::XH2XConverter>();
  ASSERT_EQ(converter->initialize(app.Get()), S_OK);
  const std::string dir = std::string(KPX_SOURCE_DIR) + "/examples/xslt/";
  ComPtr<IXMLDOMDocument> input = LoadFile(dir + "orders.xml");
  ComPtr<IXMLDOMDocument> sheet = LoadFile(dir + "order-report.xsl");
  Bstr out;
  ASSERT_EQ(converter->performServiceXSLT(input.Get(), sheet.Get(), out.Put()), S_OK);
  EXPECT_EQ(out.View(), u"2 orders\n");
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0],
            std::make_pair(LONG{MessageInfo}, std::u16string(u"order 1: 3 x Tea")));
  EXPECT_EQ(host.messages[1],
            std::make_pair(LONG{MessageWarning}, std::u16string(u"order 2: 0 x Coffee")));
}

}  // namespace
