// The XSLTemplate object: a compiled stylesheet that hands out processors.
#pragma once

#include "com/com_object.h"
#include "kpx/msxml.h"
#include "xmldom/xslt_engine.h"

namespace kpx {

// putref_stylesheet takes a document or element made by this stand-in (E_INVALIDARG for anything
// else, null included) and compiles a copy of it; E_FAIL when it does not compile, which also
// drops the stylesheet held before. Processors keep the stylesheet they were made with.
class XslTemplate final : public DispatchObject<IXSLTemplate> {
 public:
  HRESULT putref_stylesheet(IXMLDOMNode* stylesheet) override;
  HRESULT get_stylesheet(IXMLDOMNode** stylesheet) override;
  HRESULT createProcessor(IXSLProcessor** processor) override;

 private:
  ComPtr<IXMLDOMNode> source_;
  StylesheetHandle compiled_;
};

}  // namespace kpx
