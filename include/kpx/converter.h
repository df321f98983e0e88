// The converter's exported classes: IXH2XConverter (29 operations plus moveBodyTags), the
// component-identifier collection IComponentIDs, the table operation codes, the class, interface
// and type-library identifiers, and the library's entry points.
#pragma once

#include "kpx/com.h"
#include "kpx/msxml.h"

KPX_INTERFACES_BEGIN

// Table operation codes of performTableOperation.
enum enumTableOperation : int32_t {
  opDebug = 0,
  opInsertColumn = 1,
  opInsertColumnToTheLeft = 2,
  opInsertColumnToTheRight = 3,
  opInsertRow = 4,
  opInsertRowToTheTop = 5,
  opInsertRowToTheBottom = 6,
  opDeleteColumn = 7,
  opDeleteRow = 8,
  opMergeCells = 9,
  opSplitCellHorizontally = 10,
  opSplitCellVertically = 11,
  opMoveColumnLeft = 12,
  opMoveColumnRight = 13,
  opMoveRowUp = 14,
  opMoveRowDown = 15,
  opDeleteCell = 16,
  opInsertCell = 17,
  opSplitCell = 18,
};

// Extended table operation codes of performTableOperationEx.
enum enumTableOperationEx : int32_t {
  opexDebug = 0,
  opexSmartSpan = 1,
};

// The ordered collection of component identifiers that partialBackTransformationWithDOM returns.
struct IComponentIDs : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x7cb54abf, 0x1d03, 0x48e3, {0xb2, 0x15, 0x4b, 0x01, 0x98, 0x28, 0xc4, 0x33}};
  virtual HRESULT get_count(LONG* count) = 0;  // 7, DISPID 1
  // 1-based; an index outside 1..count leaves pID unset and still returns S_OK.
  virtual HRESULT item(LONG index, VARIANT* pID) = 0;  // 8, DISPID 2
  virtual HRESULT Add(VARIANT ID) = 0;                 // 9, DISPID 3: appends a copy
};

// The converter. Positions 7 to 35 hold the 29 operations in DISPID order (DISPID = position - 6);
// position 36 holds moveBodyTags, which the type library does not list. Page, parent and
// application arguments are host objects (see kpx/host.h); documents are kpx/msxml.h documents;
// pHTMLDocument2 and pSource are objects of the editor's live HTML document.
struct IXH2XConverter : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0xde0ba08c, 0xb278, 0x4e14, {0x80, 0x93, 0x94, 0x64, 0xe2, 0x9f, 0x27, 0x6f}};
  virtual HRESULT convert(IDispatch* pPage, BSTR* pbstrXML) = 0;                        // 1
  virtual HRESULT convertWithTidy(IDispatch* pPage, BSTR* pbstrXML) = 0;                // 2
  virtual HRESULT convertCustom(IDispatch* pPage, BSTR bstrXHTML, BSTR* pbstrXML) = 0;  // 3
  virtual HRESULT getErrors(BSTR* pbstrErrors) = 0;                                     // 4
  virtual HRESULT convertWithDOM(IDispatch* pPage, IXMLDOMDocument** ppXMLDoc) = 0;     // 5
  virtual HRESULT backTransformation(IDispatch* pPage, BSTR bstrTemplate,
                                     BSTR* pbstrXML) = 0;  // 6
  virtual HRESULT backTransformationWithDOM(IDispatch* pPage, BSTR bstrTemplate,
                                            IXMLDOMDocument** ppXMLDoc) = 0;  // 7
  virtual HRESULT convertSingletonWithDOM(IDispatch* pParent, BSTR bstrTemplate,
                                          IXMLDOMDocument** ppXMLDoc) = 0;  // 8
  virtual HRESULT partialBackTransformationWithDOM(IDispatch* pParent, BSTR bstrTemplate,
                                                   IComponentIDs** ppComponentIDs,
                                                   IXMLDOMDocument** ppXMLDoc) = 0;  // 9
  virtual HRESULT convertCustomWithDOM(IDispatch* pParent, BSTR bstrTemplate,
                                       IXMLDOMDocument** ppXMLDoc) = 0;  // 10
  virtual HRESULT performTableOperation(IDispatch* pHTMLDocument2,
                                        enumTableOperation op) = 0;                          // 11
  virtual HRESULT parse(BSTR bstrText, IDispatch* pPage, VARIANT_BOOL produceWarnings) = 0;  // 12
  virtual HRESULT convertForGeneration(IDispatch* pPage, BSTR bstrTemplate,
                                       BSTR* pbstrXML) = 0;  // 13
  virtual HRESULT forwardTransformationWithDOM(IDispatch* pPage, BSTR bstrTemplate,
                                               IXMLDOMDocument** ppXMLDoc) = 0;         // 14
  virtual HRESULT makeExtensible(BSTR html, BSTR* xhtml) = 0;                           // 15
  virtual HRESULT convertForPreview(IDispatch* pPage, BSTR htmlIn, BSTR* htmlOut) = 0;  // 16
  virtual HRESULT insertMETA(BSTR html, BSTR meta, BSTR* result) = 0;                   // 17
  virtual HRESULT convertRawWithDOM(BSTR bstrHTML, IXMLDOMDocument** ppXML) = 0;        // 18
  virtual HRESULT performTableOperationEx(IDispatch* pSource, enumTableOperationEx opex,
                                          VARIANT varIn1, VARIANT varIn2,
                                          VARIANT* varOut) = 0;             // 19
  virtual HRESULT resolvePaths(BSTR htmlIn, BSTR path, BSTR* htmlOut) = 0;  // 20
  virtual HRESULT initialize(IDispatch* pApplication) = 0;                  // 21
  virtual HRESULT performServiceXSLT(IXMLDOMNode* pXMLNode, IXMLDOMNode* pStyleSheet,
                                     BSTR* bstrOut) = 0;  // 22
  virtual HRESULT convertUsingProfile(IDispatch* pPage, BSTR bstrTemplate, IDispatch* pProfile,
                                      BSTR bstrTarget, IXMLDOMDocument** ppXMLDoc) = 0;  // 23
  virtual HRESULT convertForGeneration2(IDispatch* pPage, BSTR bstrTemplate, LONG iCursorPos,
                                        BSTR* pbstrXML, BSTR* pbstrStructure) = 0;  // 24
  virtual HRESULT prepareDoctypeForSection508(BSTR html, BSTR* result) = 0;         // 25
  virtual HRESULT setPublishMode(VARIANT_BOOL bPublishMode) = 0;                    // 26
  virtual HRESULT balance(BSTR html, BSTR* result) = 0;                             // 27
  virtual HRESULT maskDoctype(BSTR html, BSTR* result) = 0;                         // 28
  virtual HRESULT unmaskDoctype(BSTR html, BSTR* result) = 0;                       // 29
  virtual HRESULT moveBodyTags(BSTR html, BSTR* result) = 0;  // not in the type library
};

// Identifiers of the library's classes, interfaces and type library.
constexpr CLSID CLSID_XH2XConverter = {
    0xb0810e30, 0xde6d, 0x48ca, {0xa9, 0x0b, 0x14, 0xe5, 0x48, 0x18, 0x22, 0xd9}};
constexpr CLSID CLSID_ComponentIDs = {
    0x5bd2d804, 0x3b9c, 0x4302, {0xa9, 0x61, 0x2f, 0x12, 0xbe, 0x85, 0xa3, 0xcd}};
constexpr IID IID_IXH2XConverter = IXH2XConverter::kIID;
constexpr IID IID_IComponentIDs = IComponentIDs::kIID;
constexpr GUID LIBID_KPXHTML2XMLCONVERTERLib = {
    0x35c17635, 0x84c7, 0x4418, {0xb1, 0xfd, 0x4b, 0x4d, 0xc7, 0x98, 0xc9, 0xfa}};

// The number of operations the type library lists (DISPIDs 1 to 29).
constexpr int kConverterOperationCount = 29;

extern "C" {

// The library's entry points. None throws: running out of memory gives E_OUTOFMEMORY.
KPX_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept;
KPX_API HRESULT DllCanUnloadNow() noexcept;
KPX_API HRESULT DllRegisterServer() noexcept;
KPX_API HRESULT DllUnregisterServer() noexcept;

}  // extern "C"

KPX_INTERFACES_END
