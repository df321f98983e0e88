// The XML document interfaces that operations take and return: a DOM document that loads text or a
// file and reports parse errors, read-only node walking, and XSLT templates with processors.
// Implemented by the library over libxml2 and libxslt; external entities and network access are
// always off.
#pragma once

#include "kpx/com.h"

KPX_INTERFACES_BEGIN

enum DOMNodeType : int32_t {
  NODE_INVALID = 0,
  NODE_ELEMENT = 1,
  NODE_ATTRIBUTE = 2,
  NODE_TEXT = 3,
  NODE_CDATA_SECTION = 4,
  NODE_ENTITY_REFERENCE = 5,
  NODE_ENTITY = 6,
  NODE_PROCESSING_INSTRUCTION = 7,
  NODE_COMMENT = 8,
  NODE_DOCUMENT = 9,
  NODE_DOCUMENT_TYPE = 10,
  NODE_DOCUMENT_FRAGMENT = 11,
  NODE_NOTATION = 12,
};

struct IXMLDOMNodeList;
struct IXMLDOMNamedNodeMap;
struct IXMLDOMDocument;
struct IXMLDOMElement;
struct IXMLDOMParseError;
struct IXSLProcessor;

// A node of a loaded document. Getters that have nothing to return (no parent, no sibling, no
// attributes on a non-element) set the out pointer to null and return S_FALSE. Null out pointers
// give E_POINTER.
struct IXMLDOMNode : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
  virtual HRESULT get_nodeName(BSTR* name) = 0;                          // 7
  virtual HRESULT get_nodeValue(VARIANT* value) = 0;                     // 8: VT_BSTR or VT_NULL
  virtual HRESULT get_nodeType(DOMNodeType* type) = 0;                   // 9
  virtual HRESULT get_parentNode(IXMLDOMNode** parent) = 0;              // 10
  virtual HRESULT get_childNodes(IXMLDOMNodeList** children) = 0;        // 11
  virtual HRESULT get_firstChild(IXMLDOMNode** child) = 0;               // 12
  virtual HRESULT get_lastChild(IXMLDOMNode** child) = 0;                // 13
  virtual HRESULT get_previousSibling(IXMLDOMNode** sibling) = 0;        // 14
  virtual HRESULT get_nextSibling(IXMLDOMNode** sibling) = 0;            // 15
  virtual HRESULT get_attributes(IXMLDOMNamedNodeMap** attributes) = 0;  // 16
  virtual HRESULT get_ownerDocument(IXMLDOMDocument** document) = 0;     // 17
  virtual HRESULT hasChildNodes(VARIANT_BOOL* has) = 0;                  // 18
  virtual HRESULT get_text(BSTR* text) = 0;                              // 19: text of the subtree
  virtual HRESULT get_xml(BSTR* xml) = 0;                                // 20: serialization
  virtual HRESULT get_baseName(BSTR* name) = 0;                          // 21: local name
  virtual HRESULT get_namespaceURI(BSTR* uri) = 0;                       // 22
};

// An ordered list of nodes; get_item with an index out of range returns S_FALSE and null.
struct IXMLDOMNodeList : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x2933BF82, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
  virtual HRESULT get_item(LONG index, IXMLDOMNode** node) = 0;  // 7
  virtual HRESULT get_length(LONG* length) = 0;                  // 8
  virtual HRESULT nextNode(IXMLDOMNode** node) = 0;              // 9
  virtual HRESULT reset() = 0;                                   // 10
};

// The attributes of an element; a missing name returns S_FALSE and null.
struct IXMLDOMNamedNodeMap : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x2933BF83, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
  virtual HRESULT getNamedItem(BSTR name, IXMLDOMNode** node) = 0;  // 7
  virtual HRESULT get_item(LONG index, IXMLDOMNode** node) = 0;     // 8
  virtual HRESULT get_length(LONG* length) = 0;                     // 9
  virtual HRESULT nextNode(IXMLDOMNode** node) = 0;                 // 10
  virtual HRESULT reset() = 0;                                      // 11
};

struct IXMLDOMElement : IXMLDOMNode {
  using Base = IXMLDOMNode;
  static constexpr IID kIID = {
      0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
  virtual HRESULT get_tagName(BSTR* name) = 0;  // 23
  // VT_BSTR with the value, or VT_NULL and S_FALSE when the attribute is absent.
  virtual HRESULT getAttribute(BSTR name, VARIANT* value) = 0;  // 24
};

// Why the last load failed. errorCode is 0 after a successful load.
struct IXMLDOMParseError : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x3EFAA426, 0x272F, 0x11D2, {0x83, 0x6F, 0x00, 0x00, 0xF8, 0x7A, 0x77, 0x82}};
  virtual HRESULT get_errorCode(LONG* code) = 0;  // 7
  virtual HRESULT get_url(BSTR* url) = 0;         // 8
  virtual HRESULT get_reason(BSTR* reason) = 0;   // 9
  virtual HRESULT get_srcText(BSTR* text) = 0;    // 10
  virtual HRESULT get_line(LONG* line) = 0;       // 11: 1-based
  virtual HRESULT get_linepos(LONG* column) = 0;  // 12: 1-based
  virtual HRESULT get_filepos(LONG* offset) = 0;  // 13
};

// A document. loadXML and load replace the content: S_OK with VARIANT_TRUE when the text parsed,
// S_FALSE with VARIANT_FALSE when it did not (parseError then tells why; the document is empty).
// Nodes taken before a reload keep showing what they showed. preserveWhiteSpace starts
// VARIANT_FALSE: whitespace-only text between elements is dropped at load (text in an element that
// holds nothing else, mixed content and xml:space="preserve" stay). The xml of a document carries
// an XML declaration only when the loaded text had one, then without its encoding (the text is
// UTF-16). With preserveWhiteSpace set, loading that xml again gives the same xml; without it,
// blank text that came from a character reference (&#32;) between elements is dropped then.
struct IXMLDOMDocument : IXMLDOMNode {
  using Base = IXMLDOMNode;
  static constexpr IID kIID = {
      0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
  virtual HRESULT get_documentElement(IXMLDOMElement** element) = 0;  // 23
  virtual HRESULT get_parseError(IXMLDOMParseError** error) = 0;      // 24
  virtual HRESULT loadXML(BSTR xml, VARIANT_BOOL* success) = 0;       // 25: UTF-16 text
  virtual HRESULT load(VARIANT source, VARIANT_BOOL* success) = 0;    // 26: VT_BSTR file path
  virtual HRESULT get_async(VARIANT_BOOL* async) = 0;                 // 27
  virtual HRESULT put_async(VARIANT_BOOL async) = 0;  // 28: loading is always synchronous
  virtual HRESULT get_preserveWhiteSpace(VARIANT_BOOL* preserve) = 0;  // 29
  virtual HRESULT put_preserveWhiteSpace(VARIANT_BOOL preserve) = 0;   // 30
};

// A compiled stylesheet. putref_stylesheet takes a loaded document (or its element) that holds an
// XSLT stylesheet; a stylesheet that does not compile gives E_FAIL.
struct IXSLTemplate : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x2933BF93, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
  virtual HRESULT putref_stylesheet(IXMLDOMNode* stylesheet) = 0;  // 7
  virtual HRESULT get_stylesheet(IXMLDOMNode** stylesheet) = 0;    // 8
  virtual HRESULT createProcessor(IXSLProcessor** processor) = 0;  // 9: E_FAIL without stylesheet
};

// One run of a template: set the input (VT_DISPATCH or VT_UNKNOWN holding a document or node),
// add parameters, transform, read the output (VT_BSTR).
struct IXSLProcessor : IDispatch {
  using Base = IDispatch;
  static constexpr IID kIID = {
      0x2933BF92, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
  virtual HRESULT put_input(VARIANT input) = 0;                 // 7
  virtual HRESULT get_input(VARIANT* input) = 0;                // 8
  virtual HRESULT get_ownerTemplate(IXSLTemplate** owner) = 0;  // 9
  virtual HRESULT transform(VARIANT_BOOL* done) = 0;            // 10
  virtual HRESULT reset() = 0;                                  // 11
  virtual HRESULT get_readyState(LONG* state) = 0;              // 12
  virtual HRESULT put_output(VARIANT output) = 0;               // 13
  virtual HRESULT get_output(VARIANT* output) = 0;              // 14
  // A string parameter is passed as a string; a number as a number; the namespace must be empty.
  virtual HRESULT addParameter(BSTR name, VARIANT value, BSTR namespaceURI) = 0;  // 15
};

// Class identifiers, created through CoCreateInstance.
constexpr CLSID CLSID_DOMDocument = {
    0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
constexpr CLSID CLSID_XSLTemplate = {
    0x2933BF94, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

KPX_INTERFACES_END
