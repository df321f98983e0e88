// Properties over every page of the corpus: the page XML always loads as namespace-well-formed
// XML, and rendering it back gives the template wherever nothing in the template is turned into
// something else.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wrestrict"  // GCC 12 false positives in string concatenation
#endif
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "page/xml_text.h"
#include "recognition/recognition_test_support.h"

namespace kpx::testing {
namespace {

// The corpus pages as text: UTF-8 where they are, Latin-1 otherwise.
std::vector<std::pair<std::string, std::u16string>> CorpusPages() {
  std::vector<std::pair<std::string, std::u16string>> pages;
  const std::filesystem::path root = KPX_SOURCE_DIR "/../shared/corpus";
  for (const char* folder : {"tidy-cases", "pages"}) {
    for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
      if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream bytes;
      bytes << in.rdbuf();
      const std::string data = bytes.str();
      std::u16string text;
      if (FindInvalidUtf8(data)) {
        for (unsigned char c : data) text += static_cast<char16_t>(c);
      } else {
        text = ToUtf16(data);
      }
      pages.emplace_back(entry.path().filename().string(), std::move(text));
    }
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

std::string Attribute(xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string out = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return out;
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// The template as the page XML shows it: Text nodes with the two CDATA replacements undone,
// placeholders written back, CDATA sections and proxy braces restored.
void Render(xmlNode* node, std::string& out) {
  for (xmlNode* child = node->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    const std::string name = reinterpret_cast<const char*>(child->name);
    xmlChar* content = xmlNodeGetContent(child);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    if (name == "Text") {
      Replace(text, "]]&gt;", "]]>");
      Replace(text, "&lt;![CDATA[", "<![CDATA[");
      out += text;
    } else if (name == "Variable") {
      out += "{" + Attribute(child, "name") + "}";
    } else if (name == "Resource") {
      out += "{" + Attribute(child, "kpsPrefix") + ":" + Attribute(child, "name") + "}";
    } else if (name == "kpsCDATA") {
      out += "<![CDATA[" + text + "]]>";
    } else if (name == "meta" && Attribute(child, "name") == "kpsProxyBraces") {
      out += "{" + Attribute(child, "value") + "}";
    } else {
      ADD_FAILURE() << "unexpected element " << name;
    }
  }
}

// What the round trip cannot give back: a dropped DOCTYPE, block markers, a CDATA section left
// open, the two texts that the CDATA replacements make, and characters XML forbids.
bool RoundTrips(std::u16string_view text) {
  for (std::u16string_view mark :
       {u"<!DOCTYPE", u"<!doctype", u"BEGIN", u"END", u"]]&gt;", u"&lt;![CDATA["}) {
    if (text.find(mark) != std::u16string_view::npos) return false;
  }
  size_t open = text.find(u"<![CDATA[");
  if (open != std::u16string_view::npos && text.find(u"]]>", open) == std::u16string_view::npos) {
    return false;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (!IsXmlChar(c) || (c >= 0xD800 && c <= 0xDFFF)) {
      return false;
    }
  }
  return true;
}

TEST(CorpusPropertyTest, PageXmlLoadsAndRendersBackToTheTemplate) {
  Recognizer recognizer({"<component id=\"2\" name=\"Grid1\" type=\"Grid\"/>", "", "", 2, ""});
  const auto pages = CorpusPages();
  ASSERT_GT(pages.size(), 100u);
  size_t round_trips = 0;
  for (const auto& [name, text] : pages) {
    SCOPED_TRACE(name);
    Bstr input(text), xml;
    ASSERT_EQ(recognizer.Converter()->convertCustom(recognizer.Page(), input.Get(), xml.Put()),
              S_OK);
    const std::string bytes = ToUtf8(xml.View());
    xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8",
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    ASSERT_NE(doc, nullptr) << "page XML does not load";
    xmlNode* root = xmlDocGetRootElement(doc);
    EXPECT_STREQ(reinterpret_cast<const char*>(root->name), "Page");
    if (RoundTrips(text)) {
      std::string rendered;
      Render(root, rendered);
      EXPECT_EQ(rendered, ToUtf8(text));
      ++round_trips;
    }
    xmlFreeDoc(doc);
  }
  EXPECT_GT(round_trips, pages.size() / 4);  // most others hold a DOCTYPE
}

}  // namespace
}  // namespace kpx::testing

namespace kpx::testing {
namespace {

TEST(CorpusPropertyTest, PageXmlWithTheExampleProfileLoadsInEveryMode) {
  std::ifstream in(KPX_SOURCE_DIR "/examples/profiles/ForwardProfile.xml", std::ios::binary);
  std::stringstream profile;
  profile << in.rdbuf();
  Recognizer recognizer(
      {"<component id=\"2\" name=\"Grid1\" type=\"Grid\"/>"
       "<component id=\"3\" name=\"Label1\" type=\"Label\"/>",
       "", "", 2, ""});
  for (const auto& [name, text] : CorpusPages()) {
    SCOPED_TRACE(name);
    for (const char* mode : {"design", "generation", "sync"}) {
      // The other modes differ by a few rules: the large pages once are enough.
      if (text.size() > (1u << 20) && std::string_view(mode) != "design") continue;
      SCOPED_TRACE(mode);
      HRESULT hr = E_FAIL;
      const std::string xml = recognizer.ConvertWithProfile(profile.str(), ToUtf8(text), mode, &hr);
      // The converter hands back a document only when the page XML loads, namespaces included,
      // without recovery.
      ASSERT_EQ(hr, S_OK);
      ASSERT_FALSE(xml.empty());
    }
  }
}

}  // namespace
}  // namespace kpx::testing
