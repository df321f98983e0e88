// Numbers meet text the same way whatever locale the host runs under: every text below is the
// same under de_DE.UTF-8 (a comma-decimal locale, for C and C++ alike) as under "C".
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <functional>
#include <locale>
#include <string>
#include <vector>

#include "base/stage_timer.h"
#include "base/utf.h"
#include "xmldom/xml_test_support.h"

namespace {

VARIANT Empty(VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  return v;
}

// VariantChangeType from `from` (a double, or text) to VT_BSTR, through VT_R8 for text.
std::string ChangedText(VARIANT from) {
  if (from.vt == VT_BSTR && VariantChangeType(&from, &from, 0, VT_R8) != S_OK) return "<failed>";
  std::string text = "<failed>";
  if (VariantChangeType(&from, &from, 0, VT_BSTR) == S_OK) text = kpx::ToUtf8(from.bstrVal);
  VariantClear(&from);
  return text;
}

std::string ChangedText(double number) {
  VARIANT v = Empty(VT_R8);
  v.dblVal = number;
  return ChangedText(v);
}

std::string ChangedText(std::u16string_view number) {
  VARIANT v = Empty(VT_BSTR);
  v.bstrVal = kpx::AllocBstr(number);
  return ChangedText(v);
}

// The output of <xsl:value-of select="..."/> with a number parameter $n.
std::string Transform(std::u16string_view select, double n) {
  ComPtr<IXMLDOMDocument> input = kpx::testing::Loaded(u"<x/>");
  ComPtr<IXMLDOMDocument> style = kpx::testing::Loaded(
      u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
      u"<xsl:output method='text'/><xsl:param name='n'/><xsl:template match='/'>"
      u"<xsl:value-of select='" +
      std::u16string(select) + u"'/></xsl:template></xsl:stylesheet>");
  ComPtr<IXSLTemplate> xsl;
  ComPtr<IXSLProcessor> processor;
  VARIANT value = Empty(VT_DISPATCH), output = Empty(VT_EMPTY);
  value.pdispVal = input.Get();
  VARIANT_BOOL done = VARIANT_FALSE;
  if (CoCreateInstance(CLSID_XSLTemplate, nullptr, CLSCTX_ALL, IXSLTemplate::kIID, xsl.PutVoid()) !=
          S_OK ||
      xsl->putref_stylesheet(style.Get()) != S_OK ||
      xsl->createProcessor(processor.Put()) != S_OK || processor->put_input(value) != S_OK) {
    return "<no processor>";
  }
  value.vt = VT_R8;
  value.dblVal = n;
  if (processor->addParameter(kpx::Bstr(u"n").Get(), value, nullptr) != S_OK ||
      processor->transform(&done) != S_OK || processor->get_output(&output) != S_OK) {
    return "<failed>";
  }
  std::string text = kpx::ToUtf8(output.bstrVal);
  VariantClear(&output);
  return text;
}

TEST(NumberLocaleTest, TextsAreTheSameUnderACommaDecimalLocale) {
  const std::pair<std::function<std::string()>, std::string> rows[] = {
      {[] { return ChangedText(1.5); }, "1.5"},
      {[] { return ChangedText(-1234567.875); }, "-1234567.875"},
      {[] { return ChangedText(1e20); }, "1e+20"},
      {[] { return ChangedText(u" 2.75 "); }, "2.75"},
      {[] { return ChangedText(u"+1.5e3"); }, "1500"},
      {[] { return Transform(u"$n", 1.5); }, "1.5"},
      {[] { return Transform(u"$n * 2", 2.5e-7); }, "5e-07"},
      {[] { return Transform(u"$n div 8", 2); }, "0.25"},
      {[] { return kpx::StageTimer::FormatLine("stage", 2.5); }, "stage took 2.500000 ms\n"},
  };
  for (const auto& [text, expected] : rows) EXPECT_EQ(text(), expected);

  try {
    std::locale::global(std::locale("de_DE.UTF-8"));  // sets the C locale too
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed; `make deps` as root generates it";
  }
  char comma[8];
  std::snprintf(comma, sizeof comma, "%.1f", 1.5);
  EXPECT_STREQ(comma, "1,5") << "the locale does not write a decimal comma";
  for (const auto& [text, expected] : rows) EXPECT_EQ(text(), expected);
  std::locale::global(std::locale::classic());
}

}  // namespace
