// The forward passes chained as the pipeline chains them, templates as people write them, and a
// converter bound to a fixture host whose page holds a template and whose switch-to-design
// answer a test chooses.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "forward/post_patch.h"
#include "forward/pre_patch.h"
#include "recognition/recognition_test_support.h"

namespace kpx::testing {

// Pre-patch (design), the identity for the cleaner, cleanup, post-patch, added parts left out.
inline std::u16string ThroughPasses(std::u16string_view text) {
  const PrePatchResult patched = PrePatch(std::u16string(text), PrePatchSettings{});
  return DropAddedDocumentParts(PostPatch(CleanUpEmptySpans(patched.text)), patched.bits);
}

// Blocks between table rows, elements opened in one block and closed in another, scripts in the
// head, blocks around options, framesets with <noframes><body>, the passes' own markers.
inline const char* const kPeopleTemplates[] = {
    "<html><head><title>{Title}</title><!-- BEGIN Panel Scripts --><script>var a = 1; a--;"
    "</script><!-- END Panel Scripts --></head><body>\n<p>Hello {Name} -- welcome</p><span></span>"
    "<table>\n<!-- BEGIN Grid Orders -->\n<tr><td>{OrderNumber}</td></tr>\n<!-- BEGIN Row -->\n"
    "<tr><td><a href=\"{Url}\">{Customer}</a></td><td>{Total}</td></tr>\n"
    "<!-- END Row -->\n<!-- END Grid Orders -->\n</table></body></html>",
    "<div><!-- BEGIN Panel P --><p>open here</div><!-- END Panel P --></p>",
    "<select name=\"{S}\"><!-- BEGIN ListBox L --><option value=\"{V}\">{T}</option>"
    "<!-- END ListBox L --></select>",
    "<html><frameset cols=\"*\"><frame src=\"x.html\"><noframes><body><!-- BEGIN Panel F -->{Text}"
    "<!-- END Panel F --></body></noframes></frameset></html>",
    "<table><tr><td>{A}</td></tr><!-- BEGIN Record Edit --><tr><td><textarea name=\"{N}\">{V}"
    "</textarea></td></tr><!-- END Record Edit --></table>",
    "<p>&xhyp; and &xamp; -- <!-- c --> <span></span> <svg xmlns=\"u\"></svg></p>",
};

inline const char* const kPageComponents =
    "<component id=\"3\" name=\"Orders\" type=\"Grid\" container=\"true\"/>"
    "<component id=\"7\" name=\"Edit\" type=\"Record\" container=\"true\"/>";

class ForwardHost {
 public:
  explicit ForwardHost(const std::string& page_template = "", bool answer_yes = false)
      : host_(x2x::ParseHostFile(WithTemplate(page_template), "host.xml",
                                 std::filesystem::current_path(), x2x::DiskFileReader()),
              [answer_yes](const x2x::SwitchQuestion&) {
                return x2x::SwitchAnswer{answer_yes, false};
              }) {
    RegisterStandInClasses();
    EXPECT_EQ(CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter_.PutVoid()), S_OK);
    EXPECT_EQ(converter_->initialize(host_.Application()), S_OK);
  }
  IXH2XConverter* Converter() { return converter_.Get(); }
  IDispatch* Page() { return page_.Get(); }
  x2x::FixtureHost& Host() { return host_; }

 private:
  static std::string WithTemplate(const std::string& text) {
    std::string xml = HostXml({kPageComponents, "", "", 2, ""});
    xml.replace(xml.find("<template></template>"), 21,
                "<template><![CDATA[" + text + "]]></template>");
    return xml;
  }
  x2x::FixtureHost host_;
  ComPtr<IDispatch> page_ = host_.Page(0);
  ComPtr<IXH2XConverter> converter_;
};

// The corpus pages as text: UTF-8 where they are, Latin-1 otherwise.
inline std::vector<std::pair<std::string, std::u16string>> CorpusPages() {
  std::vector<std::pair<std::string, std::u16string>> pages;
  const std::filesystem::path root = KPX_SOURCE_DIR "/../shared/corpus";
  for (const char* folder : {"tidy-cases", "pages"}) {
    for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
      if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string data((std::istreambuf_iterator<char>(in)), {});
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

}  // namespace kpx::testing
