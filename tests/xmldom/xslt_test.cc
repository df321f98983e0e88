// XSLT templates and processors of the XML stand-in: parameters, output as xsltproc writes it,
// failures, and what a stylesheet may not reach.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/utf.h"
#include "com/com_object.h"
#include "xmldom/xml_test_support.h"

namespace {

using kpx::Bstr;
using kpx::ToUtf16;
using kpx::ToUtf8;
using namespace kpx::testing;

ComPtr<IXSLTemplate> NewTemplate() {
  ComPtr<IXSLTemplate> xsl;
  EXPECT_EQ(
      CoCreateInstance(CLSID_XSLTemplate, nullptr, CLSCTX_ALL, IXSLTemplate::kIID, xsl.PutVoid()),
      S_OK);
  return xsl;
}

ComPtr<IXSLProcessor> ProcessorFor(std::u16string_view stylesheet, IXMLDOMNode* input) {
  ComPtr<IXSLTemplate> xsl = NewTemplate();
  ComPtr<IXMLDOMDocument> style = Loaded(stylesheet);
  EXPECT_EQ(xsl->putref_stylesheet(style.Get()), S_OK);
  ComPtr<IXSLProcessor> processor;
  EXPECT_EQ(xsl->createProcessor(processor.Put()), S_OK);
  if (!processor) return processor;
  VARIANT in;
  VariantInit(&in);
  in.vt = VT_DISPATCH;
  in.pdispVal = input;
  EXPECT_EQ(processor->put_input(in), S_OK);
  return processor;
}

HRESULT AddString(IXSLProcessor* processor, std::u16string_view name, std::u16string_view text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = kpx::AllocBstr(text);
  const HRESULT hr = processor->addParameter(Bstr(name).Get(), value, nullptr);
  VariantClear(&value);
  return hr;
}

// Runs the transform and returns its output ("<failed>" when it did not succeed).
std::u16string Transform(IXSLProcessor* processor) {
  VARIANT_BOOL done = VARIANT_FALSE;
  if (processor->transform(&done) != S_OK || done != VARIANT_TRUE) return u"<failed>";
  VARIANT output;
  EXPECT_EQ(processor->get_output(&output), S_OK);
  EXPECT_EQ(output.vt, VT_BSTR);
  std::u16string text(kpx::BstrView(output.bstrVal));
  VariantClear(&output);
  return text;
}

constexpr char16_t kTwoParameters[] =
    u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n"
    u"  <xsl:output method=\"xml\" indent=\"yes\"/>\n"
    u"  <xsl:param name=\"a\" select=\"'default a'\"/>\n"
    u"  <xsl:param name=\"b\"/>\n"
    u"  <xsl:template match=\"/\">\n"
    u"    <result a=\"{$a}\" count=\"{count(//item)}\">\n"
    u"      <xsl:for-each select=\"//item\"><entry b=\"{$b}\"><xsl:value-of select=\".\"/></entry>"
    u"</xsl:for-each>\n"
    u"      <joined><xsl:value-of select=\"concat($a, '|', $b)\"/></joined>\n"
    u"    </result>\n"
    u"  </xsl:template>\n"
    u"</xsl:stylesheet>\n";

constexpr char16_t kItems[] =
    u"<list><item>one \u00e9</item><item>two &amp; &lt;three&gt;</item></list>";

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string RunXsltproc(const std::string& arguments) {
  std::string output;
  FILE* pipe = popen(("/usr/bin/xsltproc " + arguments + " 2>/dev/null").c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  pclose(pipe);
  return output;
}

TEST(XsltTest, TwoParametersGiveWhatXsltprocGives) {
  if (!std::filesystem::exists("/usr/bin/xsltproc")) GTEST_SKIP() << "xsltproc is not installed";
  struct Row {
    const char* name;
    std::u16string a, b;
  };
  const Row rows[] = {
      {"plain", u"X", u"Y"},
      {"apostrophe and markup", u"it's <a> & b", u"\u00e9t\u00e9 \u20ac"},
      {"double quotes", u"say \"hi\"", u""},
  };
  TempFile style_file("kpx-style", ToUtf8(kTwoParameters));
  TempFile input_file("kpx-input", ToUtf8(kItems));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ComPtr<IXMLDOMDocument> input = Loaded(kItems);
    ComPtr<IXSLProcessor> processor = ProcessorFor(kTwoParameters, input.Get());
    ASSERT_TRUE(processor);
    ASSERT_EQ(AddString(processor.Get(), u"a", row.a), S_OK);
    ASSERT_EQ(AddString(processor.Get(), u"b", row.b), S_OK);
    const std::string ours = ToUtf8(Transform(processor.Get()));
    const std::string theirs =
        RunXsltproc("--stringparam a " + ShellQuoted(ToUtf8(row.a)) + " --stringparam b " +
                    ShellQuoted(ToUtf8(row.b)) + " " + style_file.path() + " " + input_file.path());
    ASSERT_FALSE(theirs.empty());
    EXPECT_EQ(ours, theirs);
  }
}

constexpr char16_t kEcho[] =
    u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    u"<xsl:output method=\"text\"/><xsl:param name=\"p\"/>"
    u"<xsl:template match=\"/\"><xsl:value-of select=\"$p\"/></xsl:template>"
    u"</xsl:stylesheet>";

TEST(XsltTest, ParameterValuesArriveIntact) {
  ComPtr<IXMLDOMDocument> input = Loaded(u"<x/>");
  const std::u16string values[] = {u"a'b\"c",     u"'", u"\"",    u"''\"\"",
                                   u"$p concat(", u"",  u"\u00e9"};
  for (const std::u16string& value : values) {
    SCOPED_TRACE(ToUtf8(value));
    ComPtr<IXSLProcessor> processor = ProcessorFor(kEcho, input.Get());
    ASSERT_EQ(AddString(processor.Get(), u"p", value), S_OK);
    EXPECT_EQ(Transform(processor.Get()), value);
  }
}

TEST(XsltTest, NumbersAndBooleansArriveAsSuch) {
  constexpr char16_t kPick[] =
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:output method=\"text\"/><xsl:param name=\"n\"/>"
      u"<xsl:template match=\"/\">"
      u"<xsl:for-each select=\"//i[$n]\"><xsl:value-of select=\".\"/></xsl:for-each>"
      u"<xsl:text>|</xsl:text><xsl:value-of select=\"$n * 2\"/>"
      u"</xsl:template></xsl:stylesheet>";
  ComPtr<IXMLDOMDocument> input = Loaded(u"<l><i>a</i><i>b</i><i>c</i></l>");
  struct Row {
    const char* name;
    VARIANT value;
    std::u16string output;
  };
  VARIANT i4{}, i2{}, r8{}, yes{}, text{};
  i4.vt = VT_I4;
  i4.lVal = 3;
  i2.vt = VT_I2;
  i2.iVal = 2;
  r8.vt = VT_R8;
  r8.dblVal = 1.5;  // no position equals 1.5
  yes.vt = VT_BOOL;
  yes.boolVal = VARIANT_TRUE;
  text.vt = VT_BSTR;
  text.bstrVal = kpx::AllocBstr(u"3");  // a string: true for every item, "3" * 2 = 6
  const Row rows[] = {{"i4 selects by position", i4, u"c|6"},
                      {"i2", i2, u"b|4"},
                      {"r8", r8, u"|3"},
                      {"bool", yes, u"abc|2"},
                      {"string", text, u"abc|6"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ComPtr<IXSLProcessor> processor = ProcessorFor(kPick, input.Get());
    ASSERT_EQ(processor->addParameter(Bstr(u"n").Get(), row.value, nullptr), S_OK);
    EXPECT_EQ(Transform(processor.Get()), row.output);
  }
  VariantClear(&text);
}

TEST(XsltTest, ParametersThatAreRefused) {
  ComPtr<IXMLDOMDocument> input = Loaded(u"<x/>");
  ComPtr<IXSLProcessor> processor = ProcessorFor(kEcho, input.Get());
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  EXPECT_EQ(processor->addParameter(Bstr(u"p").Get(), value, Bstr(u"urn:x").Get()), E_INVALIDARG);
  EXPECT_EQ(processor->addParameter(nullptr, value, nullptr), E_INVALIDARG);
  value.vt = VT_UNKNOWN;
  value.punkVal = nullptr;
  EXPECT_EQ(processor->addParameter(Bstr(u"p").Get(), value, nullptr), E_INVALIDARG);
  // Adding a name again replaces the value.
  EXPECT_EQ(AddString(processor.Get(), u"p", u"first"), S_OK);
  EXPECT_EQ(AddString(processor.Get(), u"p", u"second"), S_OK);
  EXPECT_EQ(Transform(processor.Get()), u"second");
}

// An IXMLDOMNode that this stand-in did not make.
class ForeignNode final : public kpx::DispatchObject<IXMLDOMNode> {
 public:
  HRESULT get_nodeName(BSTR*) override { return E_NOTIMPL; }
  HRESULT get_nodeValue(VARIANT*) override { return E_NOTIMPL; }
  HRESULT get_nodeType(DOMNodeType*) override { return E_NOTIMPL; }
  HRESULT get_parentNode(IXMLDOMNode**) override { return E_NOTIMPL; }
  HRESULT get_childNodes(IXMLDOMNodeList**) override { return E_NOTIMPL; }
  HRESULT get_firstChild(IXMLDOMNode**) override { return E_NOTIMPL; }
  HRESULT get_lastChild(IXMLDOMNode**) override { return E_NOTIMPL; }
  HRESULT get_previousSibling(IXMLDOMNode**) override { return E_NOTIMPL; }
  HRESULT get_nextSibling(IXMLDOMNode**) override { return E_NOTIMPL; }
  HRESULT get_attributes(IXMLDOMNamedNodeMap**) override { return E_NOTIMPL; }
  HRESULT get_ownerDocument(IXMLDOMDocument**) override { return E_NOTIMPL; }
  HRESULT hasChildNodes(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT get_text(BSTR*) override { return E_NOTIMPL; }
  HRESULT get_xml(BSTR*) override { return E_NOTIMPL; }
  HRESULT get_baseName(BSTR*) override { return E_NOTIMPL; }
  HRESULT get_namespaceURI(BSTR*) override { return E_NOTIMPL; }
};

TEST(XsltTest, StylesheetsThatCannotBeUsed) {
  ComPtr<IXSLTemplate> xsl = NewTemplate();
  ComPtr<IXSLProcessor> processor;
  EXPECT_EQ(xsl->createProcessor(processor.Put()), E_FAIL);
  EXPECT_EQ(xsl->putref_stylesheet(nullptr), E_INVALIDARG);
  ComPtr<ForeignNode> foreign = kpx::MakeCom<ForeignNode>();
  EXPECT_EQ(xsl->putref_stylesheet(foreign.Get()), E_INVALIDARG);

  ComPtr<IXMLDOMDocument> good = Loaded(kEcho);
  ASSERT_EQ(xsl->putref_stylesheet(good.Get()), S_OK);
  ComPtr<IXMLDOMNode> held;
  EXPECT_EQ(xsl->get_stylesheet(held.Put()), S_OK);
  EXPECT_TRUE(SameObject(held.Get(), good.Get()));

  const std::u16string broken[] = {
      u"<notxsl/>",
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:template match=\"/\"><xsl:value-of select=\"((\"/></xsl:template></xsl:stylesheet>",
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:include href=\"/nonexistent-kpx/missing.xsl\"/></xsl:stylesheet>",
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:include href=\"/dev/zero\"/></xsl:stylesheet>",
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:import href=\"http://127.0.0.1:9/remote.xsl\"/></xsl:stylesheet>",
  };
  for (const std::u16string& text : broken) {
    SCOPED_TRACE(ToUtf8(text));
    ComPtr<IXMLDOMDocument> style = Loaded(text);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(xsl->putref_stylesheet(style.Get()), E_FAIL);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(xsl->createProcessor(processor.Put()), E_FAIL);
  }
  // An empty document (nothing loaded, or a failed load) holds no stylesheet.
  ComPtr<IXMLDOMDocument> empty = NewDocument();
  EXPECT_EQ(xsl->putref_stylesheet(empty.Get()), E_FAIL);
  // A text node is neither a document nor an element.
  ComPtr<IXMLDOMDocument> doc = Loaded(u"<a>t</a>");
  ComPtr<IXMLDOMNode> text;
  ASSERT_EQ(Root(doc.Get())->get_firstChild(text.Put()), S_OK);
  EXPECT_EQ(xsl->putref_stylesheet(text.Get()), E_INVALIDARG);
}

TEST(XsltTest, ProcessorStateAndFailures) {
  ComPtr<IXSLTemplate> xsl = NewTemplate();
  ComPtr<IXMLDOMDocument> style = Loaded(
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:output method=\"text\"/>"
      u"<xsl:template match=\"/\"><xsl:if test=\"/stop\">"
      u"<xsl:message terminate=\"yes\">stopped</xsl:message></xsl:if>ran</xsl:template>"
      u"</xsl:stylesheet>");
  ASSERT_EQ(xsl->putref_stylesheet(style.Get()), S_OK);
  ComPtr<IXSLProcessor> processor;
  ASSERT_EQ(xsl->createProcessor(processor.Put()), S_OK);
  ComPtr<IXSLTemplate> owner;
  EXPECT_EQ(processor->get_ownerTemplate(owner.Put()), S_OK);
  EXPECT_TRUE(SameObject(owner.Get(), xsl.Get()));

  VARIANT_BOOL done = VARIANT_TRUE;
  EXPECT_EQ(processor->transform(&done), E_FAIL);  // no input yet
  EXPECT_EQ(done, VARIANT_FALSE);
  VARIANT in;
  VariantInit(&in);
  EXPECT_EQ(processor->get_input(&in), S_FALSE);
  in.vt = VT_I4;
  EXPECT_EQ(processor->put_input(in), E_INVALIDARG);

  ComPtr<IXMLDOMDocument> input = Loaded(u"<go/>");
  in.vt = VT_UNKNOWN;
  in.punkVal = input.Get();
  ASSERT_EQ(processor->put_input(in), S_OK);
  LONG state = -1;
  EXPECT_EQ(processor->get_readyState(&state), S_OK);
  EXPECT_EQ(state, 0);
  EXPECT_EQ(Transform(processor.Get()), u"ran");
  EXPECT_EQ(processor->get_readyState(&state), S_OK);
  EXPECT_EQ(state, 4);

  // An empty input document has nothing to match but the root.
  ComPtr<IXMLDOMDocument> empty = NewDocument();
  in.punkVal = empty.Get();
  ASSERT_EQ(processor->put_input(in), S_OK);
  EXPECT_EQ(Transform(processor.Get()), u"ran");
  in.punkVal = input.Get();
  ASSERT_EQ(processor->put_input(in), S_OK);

  // The input document is read when the transform runs.
  ASSERT_EQ(LoadText(input.Get(), u"<stop/>"), S_OK);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(processor->transform(&done), E_FAIL);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(done, VARIANT_FALSE);

  EXPECT_EQ(processor->reset(), S_OK);
  EXPECT_EQ(processor->get_readyState(&state), S_OK);
  EXPECT_EQ(state, 0);
  VARIANT out;
  VariantInit(&out);
  EXPECT_EQ(processor->put_output(out), S_OK);
  ComPtr<IXMLDOMDocument> target = NewDocument();
  out.vt = VT_DISPATCH;
  out.pdispVal = target.Get();
  EXPECT_EQ(processor->put_output(out), E_NOTIMPL);
}

TEST(XsltTest, ElementInputIsTheRootOfACopy) {
  ComPtr<IXMLDOMDocument> input = Loaded(u"<doc><part n=\"1\"><x/></part><part n=\"2\"/></doc>");
  ComPtr<IXMLDOMNode> second;
  ASSERT_EQ(Root(input.Get())->get_lastChild(second.Put()), S_OK);
  ComPtr<IXSLProcessor> processor = ProcessorFor(
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:output method=\"text\"/><xsl:template match=\"/\">"
      u"<xsl:value-of select=\"concat(name(*), *[1]/@n, count(//part))\"/>"
      u"</xsl:template></xsl:stylesheet>",
      second.Get());
  EXPECT_EQ(Transform(processor.Get()), u"part21");
}

// xsl:strip-space works on the transform's own copy: the input and its nodes stay as they were.
TEST(XsltTest, InputIsNotChanged) {
  ComPtr<IXMLDOMDocument> input = NewDocument();
  ASSERT_EQ(input->put_preserveWhiteSpace(VARIANT_TRUE), S_OK);
  ASSERT_EQ(LoadText(input.Get(), u"<a>\n <b>x</b>\n</a>"), S_OK);
  ComPtr<IXMLDOMNode> blank;
  ASSERT_EQ(Root(input.Get())->get_firstChild(blank.Put()), S_OK);
  ComPtr<IXSLProcessor> processor = ProcessorFor(
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:strip-space elements=\"*\"/><xsl:output method=\"text\"/>"
      u"<xsl:template match=\"/\"><xsl:value-of select=\"count(a/node())\"/></xsl:template>"
      u"</xsl:stylesheet>",
      input.Get());
  EXPECT_EQ(Transform(processor.Get()), u"1");
  EXPECT_EQ(Text(blank.Get()), u"\n ");
  EXPECT_EQ(Xml(input.Get()), u"<a>\n <b>x</b>\n</a>\n");
}

TEST(XsltTest, EntitiesInStylesheetAndInputAreExpanded) {
  ComPtr<IXMLDOMDocument> input = Loaded(u"<!DOCTYPE x [<!ENTITY i \"IN\">]><x>1&i;2</x>");
  ComPtr<IXSLProcessor> processor = ProcessorFor(
      u"<!DOCTYPE xsl:stylesheet [<!ENTITY nb \"&#160;<b>bold</b>\">]>"
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:output method=\"xml\" omit-xml-declaration=\"yes\"/>"
      u"<xsl:template match=\"/\"><r>a&nb;z<xsl:copy-of select=\"x/node()\"/>"
      u"<n><xsl:value-of select=\"count(x/text())\"/></n></r></xsl:template>"
      u"</xsl:stylesheet>",
      input.Get());
  EXPECT_EQ(Transform(processor.Get()), u"<r>a\u00a0<b>bold</b>z1IN2<n>1</n></r>\n");
}

TEST(XsltTest, OutputKeepsCharactersWhateverTheDeclaredEncoding) {
  ComPtr<IXMLDOMDocument> input = Loaded(u"<x>\u00e9\u20ac</x>");
  ComPtr<IXSLProcessor> processor = ProcessorFor(
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:output method=\"xml\" encoding=\"ISO-8859-1\"/>"
      u"<xsl:template match=\"/\"><r><xsl:value-of select=\"x\"/></r></xsl:template>"
      u"</xsl:stylesheet>",
      input.Get());
  EXPECT_EQ(Transform(processor.Get()),
            u"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r>\u00e9\u20ac</r>\n");
}

// document() may read local files, but what it reads gets no external entities, and nothing
// comes from the network.
TEST(XsltTest, DocumentFunctionStaysSafe) {
  const std::string secret = "kpx-secret-91c2";
  TempFile secret_file("kpx-secret", secret);
  TempFile other("kpx-other", "<!DOCTYPE o [<!ENTITY e SYSTEM \"file://" + secret_file.path() +
                                  "\">]>"
                                  "<o>local&e;</o>");
  ComPtr<IXMLDOMDocument> input = Loaded(u"<x/>");
  const std::u16string local_style =
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:output method=\"text\"/><xsl:template match=\"/\">"
      u"<xsl:value-of select=\"document('file://" +
      ToUtf16(other.path()) +
      u"')\"/>"
      u"</xsl:template></xsl:stylesheet>";
  ComPtr<IXSLProcessor> local = ProcessorFor(local_style, input.Get());
  EXPECT_EQ(Transform(local.Get()), u"local");

  ComPtr<IXSLProcessor> remote = ProcessorFor(
      u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      u"<xsl:output method=\"text\"/><xsl:template match=\"/\">"
      u"<xsl:value-of select=\"count(document('http://127.0.0.1:9/remote.xml'))\"/>"
      u"</xsl:template></xsl:stylesheet>",
      input.Get());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Transform(remote.Get()), u"<failed>");  // the read is forbidden, which fails the run
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// Captured messages belong to the thread that caused them; threads with their own objects do not
// disturb each other.
TEST(XsltTest, ThreadsWithTheirOwnObjects) {
  auto work = [](int* failures) {
    for (int i = 0; i < 20; ++i) {
      ComPtr<IXSLTemplate> xsl = NewTemplate();
      ComPtr<IXMLDOMDocument> broken = Loaded(
          u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
          u"<xsl:template match=\"/\"><xsl:value-of select=\"((\"/></xsl:template>"
          u"</xsl:stylesheet>");
      if (xsl->putref_stylesheet(broken.Get()) != E_FAIL) ++*failures;
      ComPtr<IXMLDOMDocument> input = Loaded(u"<x/>");
      ComPtr<IXSLProcessor> processor = ProcessorFor(kEcho, input.Get());
      if (AddString(processor.Get(), u"p", u"ok") != S_OK || Transform(processor.Get()) != u"ok") {
        ++*failures;
      }
    }
  };
  int failures[2] = {0, 0};
  ::testing::internal::CaptureStderr();
  std::vector<std::thread> threads;
  for (int& f : failures) threads.emplace_back(work, &f);
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(failures[0] + failures[1], 0);
}

}  // namespace
