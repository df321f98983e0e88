// The pipeline through the converter's operations against the fixture host: blocks and
// placeholders survive the cleaner, internal markers never show, the out-of-sync retry, the
// structure of convertForGeneration2, fragments and preview.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <regex>

#include "base/utf.h"
#include "forward/forward_test_support.h"

namespace kpx::testing {
namespace {

const char* const kComponents =
    "<component id=\"3\" name=\"Orders\" type=\"Grid\" container=\"true\"/>"
    "<component id=\"7\" name=\"Edit\" type=\"Record\" container=\"true\"/>";

// The blocks of a template in order, each as its depth and name ("BEGIN Type Name" or
// "BEGIN Name"), and its placeholders.
std::vector<std::string> TemplateBlocks(const std::string& text) {
  std::vector<std::string> out;
  int depth = 0;
  const std::regex marker("<!-- (BEGIN|END) (?:\\w+ )?(\\w+) -->");
  for (std::sregex_iterator it(text.begin(), text.end(), marker), end; it != end; ++it) {
    if ((*it)[1] == "BEGIN") {
      out.push_back(std::to_string(depth++) + ":" + (*it)[2].str());
    } else {
      --depth;
    }
  }
  return out;
}

std::vector<std::string> TemplatePlaceholders(const std::string& text) {
  std::vector<std::string> out;
  const std::regex placeholder("\\{(\\w+)\\}");
  for (std::sregex_iterator it(text.begin(), text.end(), placeholder), end; it != end; ++it) {
    out.push_back((*it)[1].str());
  }
  return out;
}

std::string NameOf(xmlNode* node) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>("name"));
  std::string out = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return out;
}

// Blocks (Block elements and components) and Variable names of page XML, in document order.
void Collect(xmlNode* node, int depth, std::vector<std::string>& blocks,
             std::vector<std::string>& variables) {
  for (xmlNode* child = node->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    const std::string name = reinterpret_cast<const char*>(child->name);
    int inner = depth;
    if (name == "Block" || name == "Grid" || name == "Record") {
      blocks.push_back(std::to_string(depth) + ":" + NameOf(child));
      inner = depth + 1;
    } else if (name == "Variable") {
      variables.push_back(NameOf(child));
    }
    Collect(child, inner, blocks, variables);
  }
}

// Parses page XML; false when it is not well-formed.
bool ReadPageXml(const std::string& xml, std::vector<std::string>& blocks,
                 std::vector<std::string>& variables) {
  xmlDoc* document = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "page.xml", nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!document) return false;
  Collect(xmlDocGetRootElement(document), 0, blocks, variables);
  xmlFreeDoc(document);
  return true;
}

bool HasMarker(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* marker : {"__x2x__", "&xhyp;", "&amp;xhyp;", "kpsemptyspan", "kpstagcontent"}) {
    if (lower.find(marker) != std::string::npos) return true;
  }
  return false;
}

const char* const kTemplates[] = {
    "<html><head><title>{Title}</title><!-- BEGIN Panel Scripts --><script>var a = 1; a--;"
    "</script><!-- END Panel Scripts --></head><body>\n<p>Hello {Name} -- welcome</p><span></span>"
    "<table>\n<!-- BEGIN Grid Orders -->\n<tr><td>{OrderNumber}</td></tr>\n<!-- BEGIN Row -->\n"
    "<tr><td><a href=\"{Url}\">{Customer}</a></td><td class=\"x\" {Extra}>{Total}</td></tr>\n"
    "<!-- END Row -->\n<!-- END Grid Orders -->\n</table></body></html>",
    "<div><!-- BEGIN Panel P --><p>open here</div><!-- END Panel P --></p>",
    "<select name=\"{S}\"><!-- BEGIN ListBox L --><option value=\"{V}\">{T}</option>"
    "<!-- END ListBox L --></select>",
    "<html><frameset cols=\"*\"><frame src=\"x.html\"><noframes><body><!-- BEGIN Panel F -->{Text}"
    "<!-- END Panel F --></body></noframes></frameset></html>",
    "<table><tr><td>{A}</td></tr><!-- BEGIN Record Edit --><tr><td><textarea name=\"{N}\">{V}"
    "</textarea></td></tr><!-- END Record Edit --></table>",
};

TEST(PipelineTest, BlocksAndPlaceholdersSurviveTheCleaner) {
  ForwardHost host({kComponents, "", "", 2, ""});
  for (const char* text : kTemplates) {
    HRESULT status = E_FAIL;
    const std::string xml = host.Generate(text, &status);
    ASSERT_EQ(status, S_OK) << text;
    std::vector<std::string> blocks, variables;
    ASSERT_TRUE(ReadPageXml(xml, blocks, variables)) << xml;
    EXPECT_EQ(blocks, TemplateBlocks(text)) << xml;
    // A placeholder is a Variable, or stays in the literal text where recognition leaves it (in
    // attribute values and between attributes).
    for (const std::string& placeholder : TemplatePlaceholders(text)) {
      const bool variable =
          std::find(variables.begin(), variables.end(), placeholder) != variables.end();
      EXPECT_TRUE(variable || xml.find("{" + placeholder + "}") != std::string::npos)
          << placeholder << " in " << xml;
    }
    EXPECT_FALSE(HasMarker(xml)) << xml;
  }
}

TEST(PipelineTest, ConvertWithTidyReadsThePageTemplate) {
  std::string host_xml = HostXml({kComponents, "", "", 2, ""});
  const std::string page =
      "<p>{Greeting} <b>--</b></p><!-- BEGIN Grid Orders -->{X}"
      "<!-- END Grid Orders -->";
  host_xml.replace(host_xml.find("<template></template>"), 21,
                   "<template><![CDATA[" + page + "]]></template>");
  x2x::FixtureHost host(x2x::ParseHostFile(host_xml, "host.xml", std::filesystem::current_path(),
                                           x2x::DiskFileReader()),
                        nullptr);
  RegisterStandInClasses();
  ComPtr<IXH2XConverter> converter;
  ASSERT_EQ(CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter.PutVoid()), S_OK);
  ASSERT_EQ(converter->initialize(host.Application()), S_OK);
  Bstr xml;
  ASSERT_EQ(converter->convertWithTidy(host.Page(0).Get(), xml.Put()), S_OK);
  const std::string text = ToUtf8(xml.View());
  EXPECT_NE(text.find("<![CDATA[ <b>--</b></p>]]>"), std::string::npos) << text;
  EXPECT_NE(text.find("<Grid type=\"Grid\" name=\"Orders\" id=\"3\"><Variable name=\"X\" />"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("<html>"), std::string::npos) << text;
  EXPECT_EQ(text.find("<title>"), std::string::npos) << text;
  // The project values the pre-patch pass saves.
  EXPECT_EQ(host.Data().project->values.count(u"_siteLanguage"), 1u);
}

TEST(PipelineTest, CorpusPagesGivePageXml) {
  ForwardHost host({"", "", "", 0, ""});
  for (const auto& [name, text] : CorpusPages()) {
    HRESULT status = E_FAIL;
    const std::string xml = host.Generate(ToUtf8(text), &status);
    ASSERT_EQ(status, S_OK) << name;
    std::vector<std::string> blocks, variables;
    EXPECT_TRUE(ReadPageXml(xml, blocks, variables)) << name;
    EXPECT_EQ(HasMarker(xml), HasMarker(ToUtf8(text))) << name;
  }
}

TEST(PipelineTest, OutOfSyncRetryFollowsTheAnswer) {
  const std::string text = "<!-- END Grid A --><!-- BEGIN Grid Orders --><!-- END Grid Orders -->";
  for (bool yes : {true, false}) {
    ForwardHost host({kComponents, "", "", 2, ""}, yes);
    Bstr input(ToUtf16(text));
    ComPtr<IXMLDOMDocument> document;
    const HRESULT status =
        host.Converter()->forwardTransformationWithDOM(host.Page(), input.Get(), document.Put());
    EXPECT_EQ(status, yes ? S_OK : E_ABORT) << yes;
    EXPECT_EQ(static_cast<bool>(document), yes);
    EXPECT_EQ(host.Host().Questions().size(), 1u) << yes;
  }
}

struct CursorCase {
  LONG cursor;
  bool marked;
};

TEST(PipelineTest, StructureMarksTheBlockAtTheCursor) {
  // Positions refer to the recognized text: here the template itself, as the cleaner's
  // additions are left out.
  const std::string text = "<!-- BEGIN Grid Orders -->x<!-- END Grid Orders -->";
  for (const CursorCase& c : {CursorCase{27, true}, CursorCase{-1, false}}) {
    ForwardHost host({kComponents, "", "", 2, ""});
    Bstr input(ToUtf16(text)), xml, structure;
    ASSERT_EQ(host.Converter()->convertForGeneration2(host.Page(), input.Get(), c.cursor, xml.Put(),
                                                      structure.Put()),
              S_OK);
    const std::string out = ToUtf8(structure.View());
    EXPECT_NE(out.find("Orders"), std::string::npos) << out;
    EXPECT_EQ(out.find("kpsCurrentBlock=\"true\"") != std::string::npos, c.marked) << out;
  }
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
    ForwardHost host({kComponents, "", "", 2, ""});
    Bstr input(ToUtf16(row.text));
    ComPtr<IXMLDOMDocument> document;
    EXPECT_EQ(host.Converter()->convertSingletonWithDOM(host.Page(), input.Get(), document.Put()),
              row.status)
        << row.text;
  }
}

TEST(PipelineTest, PreviewIsThePrePatchAlone) {
  ForwardHost host({kComponents, "", "", 2, ""});
  Bstr input(u"<!DOCTYPE html><p class=\"{KPS_Style}\">{X} -- y</p>"), out;
  ASSERT_EQ(host.Converter()->convertForPreview(host.Page(), input.Get(), out.Put()), S_OK);
  EXPECT_EQ(ToUtf8(out.View()),
            "<!-- __x2x__ <!DOCTYPE html> __ --><p class=\"{KPS_Style}\">{X} -- y</p>");
}

}  // namespace
}  // namespace kpx::testing
