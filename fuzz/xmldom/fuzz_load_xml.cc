// Fuzz target: loadXML of arbitrary text, then everything a caller reads from the result. The
// first byte chooses preserveWhiteSpace; the rest is the text (UTF-8, invalid bytes replaced).
// Invariants: a load answers S_OK or S_FALSE; a failed load leaves the document empty with an
// error code; with whitespace preserved, loading the xml of a document gives the same xml.
// A document whose root is an XSLT stylesheet is also compiled (never run: a stylesheet can loop).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/utf.h"
#include "com/bstr.h"
#include "kpx/msxml.h"
#include "xmldom/classes.h"

namespace {

using kpx::Bstr;

// How much of a tree one input may walk, and how many nodes have their text read (each text is
// a pass over a subtree).
constexpr int kMaxWalkedNodes = 20000;
constexpr int kMaxTextReads = 200;

void Check(bool condition) {
  if (!condition) std::abort();
}

ComPtr<IXMLDOMDocument> NewDocument(bool preserve) {
  ComPtr<IXMLDOMDocument> doc;
  Check(kpx::CreateDOMDocument(nullptr, IXMLDOMDocument::kIID, doc.PutVoid()) == S_OK);
  doc->put_preserveWhiteSpace(preserve ? VARIANT_TRUE : VARIANT_FALSE);
  return doc;
}

void ReadNode(IXMLDOMNode* node, bool read_text) {
  Bstr text;
  Check(node->get_nodeName(text.Put()) == S_OK);
  DOMNodeType type;
  Check(node->get_nodeType(&type) == S_OK && type != NODE_INVALID);
  VARIANT value;
  const HRESULT hr = node->get_nodeValue(&value);
  Check((hr == S_OK && value.vt == VT_BSTR) || (hr == S_FALSE && value.vt == VT_NULL));
  VariantClear(&value);
  node->get_baseName(text.Put());
  node->get_namespaceURI(text.Put());
  if (read_text) Check(node->get_text(text.Put()) == S_OK);
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  if (node->get_attributes(attributes.Put()) == S_OK) {
    ComPtr<IXMLDOMNode> attribute;
    while (attributes->nextNode(attribute.Put()) == S_OK) {
      Check(attribute->get_xml(text.Put()) == S_OK);
      Check(attribute->get_text(text.Put()) == S_OK);
    }
  }
}

// Walks the tree in document order with firstChild, nextSibling and parentNode.
void Walk(IXMLDOMDocument* doc) {
  ComPtr<IXMLDOMNode> node;
  doc->get_firstChild(node.Put());
  int walked = 0;
  while (node && walked < kMaxWalkedNodes) {
    ReadNode(node.Get(), walked < kMaxTextReads);
    ++walked;
    ComPtr<IXMLDOMNode> next;
    if (node->get_firstChild(next.Put()) == S_OK) {
      node = next;
      continue;
    }
    while (node && node->get_nextSibling(next.Put()) != S_OK) {
      ComPtr<IXMLDOMNode> parent;
      node->get_parentNode(parent.Put());
      node = parent;
      if (node && node.As<IXMLDOMDocument>()) node.Reset();  // back at the top
    }
    if (node) node = next;
  }
}

void CompileIfStylesheet(IXMLDOMDocument* doc) {
  ComPtr<IXMLDOMElement> root;
  if (doc->get_documentElement(root.Put()) != S_OK) return;
  Bstr uri;
  root->get_namespaceURI(uri.Put());
  if (uri.View() != u"http://www.w3.org/1999/XSL/Transform") return;
  ComPtr<IXSLTemplate> xsl;
  Check(kpx::CreateXSLTemplate(nullptr, IXSLTemplate::kIID, xsl.PutVoid()) == S_OK);
  const HRESULT hr = xsl->putref_stylesheet(doc);
  Check(hr == S_OK || hr == E_FAIL);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const bool preserve = size > 0 && (data[0] & 1);
  const std::string_view bytes =
      size > 0 ? std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1) : "";
  Bstr text(kpx::ToUtf16(bytes));

  ComPtr<IXMLDOMDocument> doc = NewDocument(preserve);
  VARIANT_BOOL ok = VARIANT_FALSE;
  const HRESULT hr = doc->loadXML(text.Get(), &ok);
  ComPtr<IXMLDOMParseError> error;
  Check(doc->get_parseError(error.Put()) == S_OK);
  LONG code = -1;
  error->get_errorCode(&code);
  Bstr xml;
  Check(doc->get_xml(xml.Put()) == S_OK);
  if (hr == S_FALSE) {
    Check(ok == VARIANT_FALSE && code != 0 && xml.View().empty());
    LONG line = 0;
    error->get_line(&line);
    Bstr reason;
    Check(error->get_reason(reason.Put()) == S_OK);
    return 0;
  }
  Check(hr == S_OK && ok == VARIANT_TRUE && code == 0);

  ComPtr<IXMLDOMDocument> again = NewDocument(preserve);
  Check(again->loadXML(xml.Get(), &ok) == S_OK);
  if (preserve) {
    Bstr xml_again;
    Check(again->get_xml(xml_again.Put()) == S_OK);
    Check(xml_again.View() == xml.View());
  }
  Walk(doc.Get());
  CompileIfStylesheet(doc.Get());
  return 0;
}
