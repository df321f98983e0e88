// The DOMDocument object of the XML stand-in.
//
// loadXML and load parse with libxml2 (see msxml_xml_parser.h: no network, no external entities,
// no DTD loading) and replace the content; a text that does not parse leaves the document empty
// and parseError says why. Nodes taken before a reload keep showing the old tree.
// async is only stored (loading is always synchronous; it reads VARIANT_TRUE until set).
// preserveWhiteSpace starts VARIANT_FALSE: whitespace-only text between elements is dropped at
// load, as callers that walk element children expect; set it to keep every text node.
#pragma once

#include "kpx/msxml.h"
#include "xmldom/node.h"
#include "xmldom/parse_error.h"
#include "xmldom/xml_parser.h"

namespace kpx {

class DomDocument final : public NodeObjectBase<IXMLDOMDocument> {
 public:
  DomDocument();

  NodeRef GetNodeRef() override;

  HRESULT get_documentElement(IXMLDOMElement** element) override;
  HRESULT get_parseError(IXMLDOMParseError** error) override;
  // A null BSTR is empty text, which does not parse.
  HRESULT loadXML(BSTR xml, VARIANT_BOOL* success) override;
  // source: VT_BSTR (or VT_BSTR by reference) holding a file path (a path, not a URL);
  // E_INVALIDARG for other types. A file that cannot be read, or is not a regular file, is a
  // failed load (S_FALSE) whose reason names the file.
  HRESULT load(VARIANT source, VARIANT_BOOL* success) override;
  HRESULT get_async(VARIANT_BOOL* async) override;
  HRESULT put_async(VARIANT_BOOL async) override;
  HRESULT get_preserveWhiteSpace(VARIANT_BOOL* preserve) override;
  HRESULT put_preserveWhiteSpace(VARIANT_BOOL preserve) override;

 private:
  // Takes the result of a parse: the new tree, or an empty one and the error.
  HRESULT Accept(ParseOutcome outcome, VARIANT_BOOL* success);
  XmlParseOptions ParseOptions() const;

  XmlDocHandle doc_;
  ComPtr<IXMLDOMParseError> error_;
  VARIANT_BOOL async_ = VARIANT_TRUE;
  VARIANT_BOOL preserve_white_space_ = VARIANT_FALSE;
};

}  // namespace kpx
