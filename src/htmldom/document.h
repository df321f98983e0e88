// The document object of the HTML document stand-in (class CLSID_HTMLDocument): loads HTML
// text, hands out the body, every element and the selection, writes the document back, and
// offers the markup and display services.
#pragma once

#include "com/com_object.h"
#include "htmldom/document_state.h"
#include "kpx/mshtml.h"

namespace kpx::html {

class HtmlDocument final
    : public DispatchObject<IHTMLDocument2, IHTMLDocumentText, IMarkupServices, IDisplayServices> {
 public:
  HtmlDocument();

  // IHTMLDocument2
  HRESULT get_all(IHTMLElementCollection** elements) override;
  // The BODY element (or the top-level element that stands for it); S_FALSE and null for a
  // document without elements.
  HRESULT get_body(IHTMLElement** body) override;
  HRESULT get_selection(IHTMLSelectionObject** selection) override;

  // IHTMLDocumentText
  HRESULT loadHTML(BSTR html) override;
  HRESULT get_documentHTML(BSTR* html) override;

  // IMarkupServices
  HRESULT CreateMarkupPointer(IMarkupPointer** pointer) override;

  // IDisplayServices
  HRESULT CreateDisplayPointer(IDisplayPointer** pointer) override;
  HRESULT GetCaret(IHTMLCaret** caret) override;

 private:
  ~HtmlDocument() override;

  StatePtr state_;
};

}  // namespace kpx::html
