// The pipeline through the converter's operations against the fixture host: blocks and
// placeholders survive the cleaner, internal markers never show, the out-of-sync retry, the
// structure of convertForGeneration2 and fragments.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <regex>

#include "base/utf.h"
#include "forward/forward_test_support.h"

namespace kpx::testing {
namespace {

// The blocks of a template or of page XML in order, each with its depth: group 1 of the pattern
// closes ("END" or "/"), group 2 names the block, group 3 ("/") closes it at once.
std::vector<std::string> Blocks(const std::string& text, const char* pattern) {
  std::vector<std::string> out;
  int depth = 0;
  const std::regex regex(pattern);
  for (std::sregex_iterator it(text.begin(), text.end(), regex), end; it != end; ++it) {
    const std::string kind = (*it)[1];
    if (kind == "END" || kind == "/") {
      --depth;
    } else {
      out.push_back(std::to_string(depth) + ":" + (*it)[2].str());
      if ((*it)[3] != "/") ++depth;
    }
  }
  return out;
}

std::vector<std::string> Placeholders(const std::string& text) {
  std::vector<std::string> out;
  const std::regex regex("\\{(\\w+)\\}");
  for (std::sregex_iterator it(text.begin(), text.end(), regex), end; it != end; ++it) {
    out.push_back((*it)[1].str());
  }
  return out;
}

bool Loads(const std::string& xml) {
  xmlDoc* document = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "page.xml", nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  xmlFreeDoc(document);
  return document != nullptr;
}

bool HasMarker(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* marker : {"__x2x__", "xhyp;", "kpsemptyspan", "kpstagcontent"}) {
    if (text.find(marker) != std::string::npos) return true;
  }
  return false;
}

TEST(PipelineTest, ConvertWithTidyKeepsBlocksAndPlaceholders) {
  for (const char* text : kPeopleTemplates) {
    ForwardHost host(text);
    Bstr xml;
    ASSERT_EQ(host.Converter()->convertWithTidy(host.Page(), xml.Put()), S_OK) << text;
    const std::string out = ToUtf8(xml.View());
    EXPECT_TRUE(Loads(out)) << out;
    // Blocks: Block elements and the page's components, in the template's nesting and order.
    EXPECT_EQ(Blocks(out,
                     "<(/)(?:Block|Grid|Record)>|<(?:Block|Grid|Record)[^>]* "
                     "name=\"(\\w+)\"[^>]*?(/?)>"),
              Blocks(text, "<!-- (BEGIN|END) (?:\\w+ )?(\\w+) -->"))
        << out;
    // A placeholder is a Variable, or stays in the literal text where recognition leaves it.
    for (const std::string& name : Placeholders(text)) {
      EXPECT_TRUE(out.find("<Variable name=\"" + name + "\"") != std::string::npos ||
                  out.find("{" + name + "}") != std::string::npos)
          << name << " in " << out;
    }
    EXPECT_EQ(HasMarker(out), std::string(text).find("&xhyp;") != std::string::npos) << out;
    // A fragment comes back without the document parts the cleaner wraps around it.
    if (std::string(text).find("<html") == std::string::npos) {
      EXPECT_EQ(out.find("<title>"), std::string::npos) << out;
    }
  }
}

TEST(PipelineTest, CorpusPagesGivePageXml) {
  ForwardHost host;
  for (const auto& [name, text] : CorpusPages()) {
    Bstr input(text), xml;
    ASSERT_EQ(host.Converter()->convertForGeneration(host.Page(), input.Get(), xml.Put()), S_OK)
        << name;
    const std::string out = ToUtf8(xml.View());
    EXPECT_TRUE(Loads(out)) << name;
    EXPECT_EQ(HasMarker(out), HasMarker(ToUtf8(text))) << name;
  }
}

TEST(PipelineTest, OutOfSyncRetryFollowsTheAnswer) {
  for (bool yes : {true, false}) {
    ForwardHost host("", yes);
    Bstr input(u"<!-- END Grid A --><!-- BEGIN Grid Orders --><!-- END Grid Orders -->");
    ComPtr<IXMLDOMDocument> document;
    EXPECT_EQ(
        host.Converter()->forwardTransformationWithDOM(host.Page(), input.Get(), document.Put()),
        yes ? S_OK : E_ABORT);
    EXPECT_EQ(static_cast<bool>(document), yes);
    EXPECT_EQ(host.Host().Questions().size(), 1u);
  }
}

TEST(PipelineTest, StructureWithoutCursorMarksNoBlock) {
  ForwardHost host;
  Bstr input(u"<!-- BEGIN Grid Orders -->x<!-- END Grid Orders -->"), xml, structure;
  ASSERT_EQ(host.Converter()->convertForGeneration2(host.Page(), input.Get(), -1, xml.Put(),
                                                    structure.Put()),
            S_OK);
  const std::string out = ToUtf8(structure.View());
  EXPECT_NE(out.find("Orders"), std::string::npos) << out;
  EXPECT_EQ(out.find("kpsCurrentBlock"), std::string::npos) << out;
}

TEST(PipelineTest, SingletonNeedsExactlyOneComponent) {
  struct Row {
    const char* text;
    HRESULT status;
  };
  for (const Row& row :
       {Row{"<!-- BEGIN Grid Orders --><td {Extra}>x</td><!-- END Grid Orders -->", S_OK},
        Row{"<!-- BEGIN Grid Orders --><!-- END Grid Orders --><!-- BEGIN Record Edit -->"
            "<!-- END Record Edit -->",
            E_FAIL},
        Row{"<p>no component</p>", E_FAIL}}) {
    ForwardHost host;
    Bstr input(ToUtf16(row.text));
    ComPtr<IXMLDOMDocument> document;
    EXPECT_EQ(host.Converter()->convertSingletonWithDOM(host.Page(), input.Get(), document.Put()),
              row.status)
        << row.text;
  }
}

}  // namespace
}  // namespace kpx::testing
