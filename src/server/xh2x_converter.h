// The converter object: the state it keeps between operations and its 30 function-table entries.
#pragma once

#include <optional>
#include <string>

#include "kpx/converter.h"
#include "kpx/host.h"
#include "platform/com_object.h"
#include "server/module_lifetime.h"

namespace kpx {

class XH2XConverter final : public DispatchObject<IXH2XConverter>, private ModuleCounted {
 public:
  XH2XConverter();

  // IXH2XConverter, in function-table order.
  HRESULT convert(IDispatch* pPage, BSTR* pbstrXML) override;
  HRESULT convertWithTidy(IDispatch* pPage, BSTR* pbstrXML) override;
  HRESULT convertCustom(IDispatch* pPage, BSTR bstrXHTML, BSTR* pbstrXML) override;
  HRESULT getErrors(BSTR* pbstrErrors) override;
  HRESULT convertWithDOM(IDispatch* pPage, IXMLDOMDocument** ppXMLDoc) override;
  HRESULT backTransformation(IDispatch* pPage, BSTR bstrTemplate, BSTR* pbstrXML) override;
  HRESULT backTransformationWithDOM(IDispatch* pPage, BSTR bstrTemplate,
                                    IXMLDOMDocument** ppXMLDoc) override;
  HRESULT convertSingletonWithDOM(IDispatch* pParent, BSTR bstrTemplate,
                                  IXMLDOMDocument** ppXMLDoc) override;
  HRESULT partialBackTransformationWithDOM(IDispatch* pParent, BSTR bstrTemplate,
                                           IComponentIDs** ppComponentIDs,
                                           IXMLDOMDocument** ppXMLDoc) override;
  HRESULT convertCustomWithDOM(IDispatch* pParent, BSTR bstrTemplate,
                               IXMLDOMDocument** ppXMLDoc) override;
  HRESULT performTableOperation(IDispatch* pHTMLDocument2, enumTableOperation op) override;
  HRESULT parse(BSTR bstrText, IDispatch* pPage, VARIANT_BOOL produceWarnings) override;
  HRESULT convertForGeneration(IDispatch* pPage, BSTR bstrTemplate, BSTR* pbstrXML) override;
  HRESULT forwardTransformationWithDOM(IDispatch* pPage, BSTR bstrTemplate,
                                       IXMLDOMDocument** ppXMLDoc) override;
  HRESULT makeExtensible(BSTR html, BSTR* xhtml) override;
  HRESULT convertForPreview(IDispatch* pPage, BSTR htmlIn, BSTR* htmlOut) override;
  HRESULT insertMETA(BSTR html, BSTR meta, BSTR* result) override;
  HRESULT convertRawWithDOM(BSTR bstrHTML, IXMLDOMDocument** ppXML) override;
  HRESULT performTableOperationEx(IDispatch* pSource, enumTableOperationEx opex, VARIANT varIn1,
                                  VARIANT varIn2, VARIANT* varOut) override;
  HRESULT resolvePaths(BSTR htmlIn, BSTR path, BSTR* htmlOut) override;
  HRESULT initialize(IDispatch* pApplication) override;
  HRESULT performServiceXSLT(IXMLDOMNode* pXMLNode, IXMLDOMNode* pStyleSheet,
                             BSTR* bstrOut) override;
  HRESULT convertUsingProfile(IDispatch* pPage, BSTR bstrTemplate, IDispatch* pProfile,
                              BSTR bstrTarget, IXMLDOMDocument** ppXMLDoc) override;
  HRESULT convertForGeneration2(IDispatch* pPage, BSTR bstrTemplate, LONG iCursorPos,
                                BSTR* pbstrXML, BSTR* pbstrStructure) override;
  HRESULT prepareDoctypeForSection508(BSTR html, BSTR* result) override;
  HRESULT setPublishMode(VARIANT_BOOL bPublishMode) override;
  HRESULT balance(BSTR html, BSTR* result) override;
  HRESULT maskDoctype(BSTR html, BSTR* result) override;
  HRESULT unmaskDoctype(BSTR html, BSTR* result) override;
  HRESULT moveBodyTags(BSTR html, BSTR* result) override;

 private:
  ~XH2XConverter() override = default;

  // The text the text utilities and the back transformation edit. (Its pending edit list joins
  // it with the markup model.)
  [[maybe_unused]] std::u16string working_text_;
  [[maybe_unused]] VARIANT_BOOL publish_mode_ = VARIANT_FALSE;      // set by setPublishMode, read by makeExtensible
  [[maybe_unused]] ComPtr<HostApplication> application_;           // bound once by initialize
  [[maybe_unused]] std::optional<std::u16string> error_text_;     // what getErrors returns; none until set
  [[maybe_unused]] LONG cursor_position_ = -1;                    // current block of the structure output
  [[maybe_unused]] LONG verbosity_level_ = 0;                     // host option "ConverterVerbosityLevel"
  [[maybe_unused]] std::optional<std::u16string> structure_text_;  // block structure of convertForGeneration2
};

// Creates a converter for a class factory.
HRESULT CreateXH2XConverter(IUnknown* outer, REFIID riid, void** ppv);

}  // namespace kpx
