// Running recognition through the converter's interface against a fixture host described inline:
// the page's components, the site's tags to parse, translations and the verbosity level.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/utf.h"
#include "com/bstr.h"
#include "kpx/converter.h"
#include "server/registration.h"
#include "server/xh2x_converter.h"
#include "x2x/fixture_host.h"
#include "x2x/host_file_loader.h"

namespace kpx::testing {

struct HostSetup {
  std::string components;     // <component .../> elements of page 1 ("P")
  std::string tags_to_parse;  // the site's htmlTagsToParse
  std::string translations;   // <translation .../> elements for "en"
  int verbosity = 2;
  std::string extra_options;  // more <option/> elements of HTMLFormatting
};

// Message texts show their arguments: "KEY(a|b) @line:column".
// template_path: the "Grid" item's templatePath, when not empty.
inline std::string HostXml(const HostSetup& setup, const std::string& template_path = "") {
  std::string messages;
  for (const char* key :
       {"XX_Duplicate_Component", "XX_CloseTagsMismatch", "XX_UnOpenedTagAfterContainerBegin",
        "XX_UnClosedTagBeforeContainerEnd", "KPProject_Synchronize_EBlockNotFound",
        "KPProject_Synchronize_EBlockInsideBlockNotFound", "KPProject_Synchronize_SBlockNotFound",
        "KPProject_Synchronize_SBlockInsideBlockNotFound", "XX_MissedSpaceBetweenAttributes"}) {
    messages += std::string("<message key=\"") + key + "\">" + key + "(%s|%s)</message>";
  }
  messages += "<message key=\"KPProject_Synchronize_Pos\">@%s:%s</message>";
  return "<host><options><section name=\"HTMLFormatting\"><option name=\"ConverterVerbosityLevel\" "
         "value=\"" +
         std::to_string(setup.verbosity) + "\"/>" + setup.extra_options +
         "</section></options><messages>" + messages +
         "</messages><project directory=\".\"><value name=\"siteLanguage\" value=\"en\"/>" +
         (template_path.empty() ? std::string()
                                : "<item name=\"Grid\"><property name=\"templatePath\" value=\"" +
                                      template_path + "\"/></item>") +
         "<item name=\"site\"><property name=\"htmlTagsToParse\" value=\"" + setup.tags_to_parse +
         "\"/></item><translations language=\"en\">" + setup.translations +
         "</translations></project><page id=\"1\" name=\"P\"><template></template>" +
         setup.components + "</page></host>";
}

class Recognizer {
 public:
  explicit Recognizer(const HostSetup& setup, const std::string& template_path = "")
      : host_(x2x::ParseHostFile(HostXml(setup, template_path), "host.xml",
                                 std::filesystem::current_path(), x2x::DiskFileReader()),
              [](const x2x::SwitchQuestion&) {
                return x2x::SwitchAnswer{false, false};
              }) {
    RegisterStandInClasses();
    EXPECT_EQ(CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter_.PutVoid()), S_OK);
    EXPECT_EQ(converter_->initialize(host_.Application()), S_OK);
  }

  IXH2XConverter* Converter() { return converter_.Get(); }
  IDispatch* Page() { return page_.Get(); }

  // convertCustom: the page XML, empty on failure.
  std::string Convert(const std::string& text, HRESULT* status = nullptr) {
    Bstr input(ToUtf16(text)), xml;
    HRESULT hr = converter_->convertCustom(page_.Get(), input.Get(), xml.Put());
    if (status) *status = hr;
    return ToUtf8(xml.View());
  }
  // convertUsingProfile with a profile document made from text: the page XML, empty when no
  // document comes back.
  std::string ConvertWithProfile(const std::string& profile, const std::string& text,
                                 const std::string& target, HRESULT* status = nullptr) {
    ComPtr<IXMLDOMDocument> document;
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                               document.PutVoid()),
              S_OK);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    Bstr profile_text(ToUtf16(profile));
    EXPECT_EQ(document->loadXML(profile_text.Get(), &loaded), S_OK);
    EXPECT_EQ(loaded, VARIANT_TRUE) << profile;
    Bstr input(ToUtf16(text)), mode(ToUtf16(target));
    ComPtr<IXMLDOMDocument> result;
    HRESULT hr = converter_->convertUsingProfile(page_.Get(), input.Get(), document.Get(),
                                                 mode.Get(), result.Put());
    if (status) *status = hr;
    if (!result) return "";
    Bstr xml;
    EXPECT_EQ(result->get_xml(xml.Put()), S_OK);
    return ToUtf8(xml.View());
  }
  // parse: synchronization with warnings; the status.
  HRESULT Parse(const std::string& text) {
    Bstr input(ToUtf16(text));
    return converter_->parse(input.Get(), page_.Get(), VARIANT_TRUE);
  }
  // What the message window received, one string each.
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& m : host_.Messages()) out.push_back(ToUtf8(m.text));
    return out;
  }
  std::string Errors() {
    Bstr errors;
    converter_->getErrors(errors.Put());
    return ToUtf8(errors.View());
  }

 private:
  x2x::FixtureHost host_;
  ComPtr<IDispatch> page_ = host_.Page(0);
  ComPtr<IXH2XConverter> converter_;
};

}  // namespace kpx::testing
