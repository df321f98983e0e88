// The XSLTemplate object.
#include "xmldom/xsl_template.h"

#include "base/status.h"
#include "xmldom/xsl_processor.h"

namespace kpx {

HRESULT XslTemplate::putref_stylesheet(IXMLDOMNode* stylesheet) {
  const NodeRef ref = NodeRefOf(stylesheet);
  if (!ref.node) return E_INVALIDARG;
  if (ref.node->type != XML_DOCUMENT_NODE && ref.node->type != XML_ELEMENT_NODE) {
    return E_INVALIDARG;
  }
  source_.Reset();
  compiled_.reset();
  return Guarded([&] {
    compiled_ = CompileStylesheet(ref);
    source_ = ComPtr<IXMLDOMNode>(stylesheet);
    return S_OK;
  });
}

HRESULT XslTemplate::get_stylesheet(IXMLDOMNode** stylesheet) {
  if (!stylesheet) return E_POINTER;
  *stylesheet = nullptr;
  if (!source_) return S_FALSE;
  return CopyOut(source_.Get(), stylesheet);
}

HRESULT XslTemplate::createProcessor(IXSLProcessor** processor) {
  if (!processor) return E_POINTER;
  *processor = nullptr;
  if (!compiled_) return E_FAIL;
  return Guarded([&] {
    *processor = MakeXslProcessor(ComPtr<IXSLTemplate>(this), compiled_).Detach();
    return S_OK;
  });
}

}  // namespace kpx
