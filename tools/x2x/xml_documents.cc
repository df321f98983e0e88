// Document creation and loading, with readable messages for each way it can fail.
#include "x2x/xml_documents.h"

#include "base/utf.h"
#include "com/bstr.h"
#include "com/variant_holder.h"
#include "x2x/status_names.h"

namespace x2x {

namespace {

// "NAME:LINE:COL: reason" from the document's parse error, as far as it tells.
std::string DescribeParseError(IXMLDOMDocument* document, const std::string& name) {
  ComPtr<IXMLDOMParseError> error;
  std::string where = name;
  std::string reason = "the XML did not load";
  if (SUCCEEDED(document->get_parseError(error.Put())) && error) {
    LONG line = 0;
    LONG column = 0;
    kpx::Bstr text;
    if (SUCCEEDED(error->get_line(&line)) && line > 0) {
      where += ":" + std::to_string(line);
      if (SUCCEEDED(error->get_linepos(&column)) && column > 0) {
        where += ":" + std::to_string(column);
      }
    }
    if (SUCCEEDED(error->get_reason(text.Put())) && !text.View().empty()) {
      reason = kpx::ToUtf8(text.View());
      while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    }
  }
  return where + ": " + reason;
}

// Turns the outcome of load() or loadXML() into a result.
LoadedDocument Finish(ComPtr<IXMLDOMDocument> document, HRESULT hr, VARIANT_BOOL loaded,
                      const std::string& name) {
  LoadedDocument result;
  if (FAILED(hr)) {
    result.error = "cannot load " + name + ": the XML document returned " + DescribeStatus(hr);
  } else if (loaded != VARIANT_TRUE) {
    result.error = DescribeParseError(document.Get(), name);
  } else {
    result.document = std::move(document);
  }
  return result;
}

}  // namespace

LoadedDocument CreateXmlDocument() {
  LoadedDocument result;
  HRESULT hr = CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                                result.document.PutVoid());
  if (FAILED(hr) || !result.document) {
    result.document.Reset();
    result.error = "cannot create an XML document: CoCreateInstance returned " +
                   DescribeStatus(FAILED(hr) ? hr : E_POINTER);
  }
  return result;
}

LoadedDocument LoadXmlFile(const std::string& path) {
  LoadedDocument created = CreateXmlDocument();
  if (!created.document) return created;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  HRESULT hr = created.document->load(kpx::VariantHolder::Text(kpx::ToUtf16(path)).Ref(), &loaded);
  return Finish(std::move(created.document), hr, loaded, path);
}

LoadedDocument LoadXmlText(std::u16string_view text, const std::string& name) {
  LoadedDocument created = CreateXmlDocument();
  if (!created.document) return created;
  kpx::Bstr xml(text);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  HRESULT hr = created.document->loadXML(xml.Get(), &loaded);
  return Finish(std::move(created.document), hr, loaded, name);
}

}  // namespace x2x
