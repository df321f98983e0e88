// Running the back transformation through the converter's interface against a fixture host
// described inline, and checking that what it writes loads as XML.
#pragma once

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/utf.h"
#include "com/bstr.h"
#include "com/variant_holder.h"
#include "kpx/converter.h"
#include "server/registration.h"
#include "server/xh2x_converter.h"
#include "x2x/fixture_host.h"
#include "x2x/host_file_loader.h"

namespace kpx::testing {

// Page 1 ("P", file P.html in /site/pages) of a project in /site, whose components are a Grid
// Orders (3) holding a Label Title (4), and a Link Link1 (6) that the editor shows in place.
inline const std::string kSiteComponents =
    "<component id=\"3\" name=\"Orders\" type=\"Grid\" container=\"true\">"
    "<component id=\"4\" name=\"Title\" type=\"Label\"/></component>"
    "<component id=\"6\" name=\"Link1\" type=\"Link\" position=\"1\"/>";

struct BackHost {
  std::string components = kSiteComponents;
  std::string project;    // more children of <project>
  std::string formatter;  // <format> elements
  std::string options;    // <option> elements of HTMLFormatting
};

inline std::string BackHostXml(const BackHost& host) {
  return "<host><options><section name=\"HTMLFormatting\">" + host.options +
         "</section></options><project directory=\"/site\">" + host.project +
         "</project><formatter>" + host.formatter +
         "</formatter><page id=\"1\" name=\"P\" file=\"P.html\" directory=\"/site/pages\">" +
         host.components + "</page></host>";
}

// Whether xml loads as namespace-well-formed XML without recovery; the root's name and its
// namespace declarations (prefixes, each once) go to root and prefixes.
inline bool LoadsAsXml(const std::string& xml, std::string* root = nullptr,
                       std::vector<std::string>* prefixes = nullptr) {
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "page.xml", "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return false;
  xmlNode* top = xmlDocGetRootElement(doc);
  if (root) *root = top ? reinterpret_cast<const char*>(top->name) : "";
  if (prefixes && top) {
    for (xmlNs* ns = top->nsDef; ns; ns = ns->next) {
      prefixes->push_back(ns->prefix ? reinterpret_cast<const char*>(ns->prefix) : "");
    }
  }
  xmlFreeDoc(doc);
  return true;
}

class BackTransformer {
 public:
  explicit BackTransformer(const BackHost& host = {})
      : host_(x2x::ParseHostFile(BackHostXml(host), "host.xml", std::filesystem::current_path(),
                                 x2x::DiskFileReader()),
              [](const x2x::SwitchQuestion&) { return x2x::SwitchAnswer{}; }) {
    RegisterStandInClasses();
    EXPECT_EQ(CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter_.PutVoid()), S_OK);
    EXPECT_EQ(converter_->initialize(host_.Application()), S_OK);
  }

  IXH2XConverter* Converter() { return converter_.Get(); }
  // What the converter keeps between operations for editing texts.
  std::size_t WorkingBytesHeld() {
    return static_cast<XH2XConverter*>(converter_.Get())->WorkingBytesHeld();
  }
  const x2x::FixtureHost& Host() const { return host_; }
  ComPtr<IDispatch> Page() { return host_.Page(0); }
  ComPtr<IDispatch> Component(LONG id) { return host_.Component(0, id); }

  // backTransformation: the page XML, empty on failure.
  std::string Back(const std::string& text, HRESULT* status = nullptr) {
    Bstr input(ToUtf16(text)), xml;
    HRESULT hr = converter_->backTransformation(Page().Get(), input.Get(), xml.Put());
    if (status) *status = hr;
    return ToUtf8(xml.View());
  }

  // partialBackTransformationWithDOM on parent: the document's XML and the identifiers.
  std::string Partial(IDispatch* parent, const std::string& text, std::vector<LONG>* ids,
                      HRESULT* status) {
    Bstr input(ToUtf16(text));
    ComPtr<IComponentIDs> collection;
    ComPtr<IXMLDOMDocument> document;
    *status = converter_->partialBackTransformationWithDOM(parent, input.Get(), collection.Put(),
                                                           document.Put());
    if (FAILED(*status)) {
      EXPECT_FALSE(collection);
      EXPECT_FALSE(document);
      return {};
    }
    LONG count = 0;
    collection->get_count(&count);
    for (LONG i = 1; i <= count; ++i) {
      VariantHolder item;
      collection->item(i, item.Get());
      ids->push_back(item->lVal);
    }
    Bstr xml;
    document->get_xml(xml.Put());
    return ToUtf8(xml.View());
  }

 private:
  x2x::FixtureHost host_;
  ComPtr<IXH2XConverter> converter_;
};

}  // namespace kpx::testing
