// Numbers meet text the same way whatever locale the host runs under: every text below is the
// same under de_DE.UTF-8 (a comma-decimal locale, set for C and C++ alike) as under "C".
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <functional>
#include <locale>
#include <string>
#include <vector>

#include "base/stage_timer.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "xmldom/xml_test_support.h"

namespace {

using kpx::Bstr;

std::string VariantText(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = value;
  if (VariantChangeType(&v, &v, 0, VT_BSTR) != S_OK) return "<failed>";
  std::string text = kpx::ToUtf8(kpx::BstrView(v.bstrVal));
  VariantClear(&v);
  return text;
}

// The text read as a number, and written back as %.15g does under "C".
std::string VariantNumber(std::u16string_view text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = kpx::AllocBstr(text);
  const HRESULT hr = VariantChangeType(&v, &v, 0, VT_R8);
  const double number = v.dblVal;
  VariantClear(&v);
  return hr == S_OK ? VariantText(number) : "<failed>";
}

// A transform's output, with a number parameter $n.
std::string Transform(std::u16string_view select, double n) {
  ComPtr<IXMLDOMDocument> style = kpx::testing::Loaded(
      u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
      u"<xsl:output method='text'/><xsl:param name='n'/><xsl:template match='/'>"
      u"<xsl:value-of select=\"" +
      std::u16string(select) + u"\"/></xsl:template></xsl:stylesheet>");
  ComPtr<IXMLDOMDocument> input = kpx::testing::Loaded(u"<x/>");
  ComPtr<IXSLTemplate> xsl;
  ComPtr<IXSLProcessor> processor;
  if (CoCreateInstance(CLSID_XSLTemplate, nullptr, CLSCTX_ALL, IXSLTemplate::kIID, xsl.PutVoid()) !=
          S_OK ||
      xsl->putref_stylesheet(style.Get()) != S_OK ||
      xsl->createProcessor(processor.Put()) != S_OK) {
    return "<no processor>";
  }
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_DISPATCH;
  value.pdispVal = input.Get();
  processor->put_input(value);
  value.vt = VT_R8;
  value.dblVal = n;
  processor->addParameter(Bstr(u"n").Get(), value, nullptr);
  VARIANT_BOOL done = VARIANT_FALSE;
  VARIANT output;
  if (processor->transform(&done) != S_OK || processor->get_output(&output) != S_OK) {
    return "<failed>";
  }
  std::string text = kpx::ToUtf8(kpx::BstrView(output.bstrVal));
  VariantClear(&output);
  return text;
}

struct Row {
  const char* name;
  std::function<std::string()> text;
  std::string expected;  // under "C"
};

class NumberLocaleTest : public ::testing::Test {
 protected:
  void TearDown() override {
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
  }
};

TEST_F(NumberLocaleTest, TextsAreTheSameUnderACommaDecimalLocale) {
  const Row rows[] = {
      {"VariantChangeType of 1.5 to text", [] { return VariantText(1.5); }, "1.5"},
      {"VariantChangeType of a large number to text", [] { return VariantText(-1234567.875); },
       "-1234567.875"},
      {"VariantChangeType of 1e20 to text", [] { return VariantText(1e20); }, "1e+20"},
      {"VariantChangeType of \"2.75\" to a number", [] { return VariantNumber(u" 2.75 "); },
       "2.75"},
      {"VariantChangeType of \"+1.5e3\" to a number", [] { return VariantNumber(u"+1.5e3"); },
       "1500"},
      {"XSLT number parameter", [] { return Transform(u"$n", 1.5); }, "1.5"},
      {"XSLT number parameter with an exponent", [] { return Transform(u"$n * 2", 2.5e-7); },
       "5e-07"},
      {"XSLT arithmetic", [] { return Transform(u"$n div 8", 2); }, "0.25"},
      {"stage timer line", [] { return kpx::StageTimer::FormatLine("stage", 2.5); },
       "stage took 2.500000 ms\n"},
  };
  std::vector<std::string> under_c;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    under_c.push_back(row.text());
    EXPECT_EQ(under_c.back(), row.expected);
  }

  try {
    std::locale::global(std::locale("de_DE.UTF-8"));  // sets the C locale too
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed; `make deps` run as root generates it";
  }
  char comma[8];
  std::snprintf(comma, sizeof comma, "%.1f", 1.5);
  ASSERT_STREQ(comma, "1,5") << "the locale does not write a decimal comma";
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(rows[i].text(), under_c[i]);
  }
}

}  // namespace
