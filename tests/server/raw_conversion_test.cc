// convertRawWithDOM: the cleaner's XML loaded into a document, and the log of a load that fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/module_paths.h"
#include "com/bstr.h"
#include "server/xh2x_converter.h"

namespace {

using kpx::Bstr;

std::u16string ReadUtf16File(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  std::string bytes = s.str();
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return text;
}

class RawConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    converter_ = kpx::MakeCom<kpx::XH2XConverter>();
    log_ = kpx::ExecutableDirectory() + "/x2x_raw2xml.log";
    std::filesystem::remove(log_);
  }
  void TearDown() override { std::filesystem::remove(log_); }
  ComPtr<kpx::XH2XConverter> converter_;
  std::string log_;
};

TEST_F(RawConversionTest, EveryAmpersandIsEscapedBeforeLoading) {
  Bstr html(u"<html><body><p>a &lt; b &amp; c</p></body></html>");
  ComPtr<IXMLDOMDocument> doc;
  ASSERT_EQ(converter_->convertRawWithDOM(html.Get(), doc.Put()), S_OK);
  ASSERT_TRUE(doc);
  Bstr text;
  ASSERT_EQ(doc->get_text(text.Put()), S_OK);
  EXPECT_NE(text.View().find(u"a &lt; b &amp; c"), std::u16string_view::npos)
      << kpx::BstrView(text.Get()).size();
  EXPECT_FALSE(std::filesystem::exists(log_));
}

TEST_F(RawConversionTest, ArgumentsAndALeadingByteOrderMark) {
  EXPECT_EQ(converter_->convertRawWithDOM(nullptr, nullptr), E_INVALIDARG);
  Bstr html(u"\uFEFF<p>x</p>");
  ComPtr<IXMLDOMDocument> doc;
  EXPECT_EQ(converter_->convertRawWithDOM(html.Get(), doc.Put()), S_OK);
  EXPECT_TRUE(doc);
}

// The cleaner repairs nearly everything; a nesting deeper than the XML parser takes is left.
std::u16string PageTheLoadRefuses() {
  std::u16string deep = u"<html><body><p>a</p><x:y>";
  for (int i = 0; i < 300; ++i) deep += u"<div>";
  deep += u"z";
  for (int i = 0; i < 300; ++i) deep += u"</div>";
  return deep;
}

TEST_F(RawConversionTest, FailedLoadWritesTheLogInOrder) {
  Bstr html(PageTheLoadRefuses());
  ComPtr<IXMLDOMDocument> doc;
  HRESULT hr = converter_->convertRawWithDOM(html.Get(), doc.Put());
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_FALSE(doc);
  ASSERT_TRUE(std::filesystem::exists(log_));
  std::u16string log = ReadUtf16File(log_);
  const std::u16string_view headings[] = {
      u"CXH2XConverter::convertRawWithDOM() log", u"\n\n[HTML]\n\n<html><body><p>a</p><x:y>",
      u"\n\n[XML]\n\n", u"\n\n[input warnings]\n\n", u"\n\n[output errors]\n\nline "};
  size_t at = 0;
  for (std::u16string_view heading : headings) {
    size_t found = log.find(heading, at);
    ASSERT_NE(found, std::u16string::npos) << std::string(heading.begin(), heading.end());
    at = found + heading.size();
  }
  EXPECT_EQ(log.rfind(u"CXH2XConverter", 0), 0u);
}

TEST_F(RawConversionTest, ALinkWhereTheLogGoesIsNotFollowed) {
  const std::string target = log_ + ".target";
  std::ofstream(target) << "keep";
  std::filesystem::create_symlink(target, log_);
  Bstr html(PageTheLoadRefuses());
  ComPtr<IXMLDOMDocument> doc;
  EXPECT_EQ(converter_->convertRawWithDOM(html.Get(), doc.Put()), S_FALSE);
  EXPECT_TRUE(std::filesystem::is_symlink(log_));
  std::ifstream in(target);
  std::string kept;
  in >> kept;
  EXPECT_EQ(kept, "keep");
  std::filesystem::remove(target);
}

}  // namespace
