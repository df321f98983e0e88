// The converter object: the state it keeps between operations and its 30 function-table entries.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "com/com_object.h"
#include "forward/conversion_engine.h"
#include "kpx/converter.h"
#include "kpx/host.h"
#include "markup/text_edit_list.h"
#include "profile/reverse_profile.h"
#include "server/converter_pipeline_tools.h"
#include "server/module_lifetime.h"
#include "server/profile_diagnostics_sink.h"

namespace kpx {

class Bstr;

class XH2XConverter final : public DispatchObject<IXH2XConverter>, private ModuleCounted {
 public:
  // engine: the stages behind the operations; null gives the library's own.
  explicit XH2XConverter(std::unique_ptr<ConversionEngine> engine = nullptr);

  // IDispatch over the embedded type library.
  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* arg_error) override;

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

  // Heap bytes the converter keeps between operations for editing texts (its edit list's
  // buffers, kept for reuse up to EditSession::kBytesWorthKeeping, or after a back
  // transformation up to EditListSession's bound for the page).
  std::size_t WorkingBytesHeld() const noexcept { return working_text_.HeldBytes(); }

 private:
  ~XH2XConverter() override = default;

  // Applies what a stage reported: the error text and the structure text.
  void TakeReport(StageReport& report);
  // Reads the page's current template text (E_FAIL when the page has no document or no text).
  HRESULT ReadPageText(IDispatch* page, std::u16string* text);
  // Converts then loads: the frame shared by the operations that return a document.
  HRESULT LoadIntoDocument(std::u16string_view xml, IXMLDOMDocument** document);
  HRESULT SynchronizeText(IDispatch* page, std::u16string_view text, bool warnings);
  // Pre-processing and the page XML writer on a page's template: the page XML text.
  HRESULT BackTransform(IDispatch* page, std::u16string_view text, Bstr* xml);

  std::unique_ptr<ConversionEngine> engine_;  // the stages behind the operations
  // The text the text utilities and the back transformation edit, with its pending edits;
  // empty between operations.
  TextEditList working_text_;
  ComPtr<HostApplication> application_;           // bound once by initialize
  std::optional<std::u16string> error_text_;      // what getErrors returns; none until set
  std::optional<std::u16string> structure_text_;  // block structure of convertForGeneration2
  ConverterContext context_;                      // verbosity, cursor, publish mode, host
  ProfileDiagnosticsSink forward_sink_{context_, kForwardProfilePrefix};  // forward profiles
  ProfileDiagnosticsSink reverse_sink_{context_, kReverseProfilePrefix};  // reverse profiles
  // The reverse converter profile, loaded by the first back transformation that finds one.
  std::unique_ptr<ReverseProfile> reverse_profile_;
  ConverterPipelineTools pipeline_tools_;  // balancing and the cleaner for the pipeline
};

// Creates a converter for a class factory.
HRESULT CreateXH2XConverter(IUnknown* outer, REFIID riid, void** ppv);

}  // namespace kpx
