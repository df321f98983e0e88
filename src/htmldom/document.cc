// The document object of the HTML document stand-in, and its creation function.
#include "htmldom/document.h"

#include "base/status.h"
#include "com/bstr.h"
#include "htmldom/classes.h"
#include "htmldom/collections.h"
#include "htmldom/com_util.h"
#include "htmldom/element.h"
#include "htmldom/markup_services.h"
#include "htmldom/parser.h"
#include "htmldom/ranges.h"
#include "htmldom/serializer.h"

namespace kpx::html {

HtmlDocument::HtmlDocument() : state_(std::make_shared<DocumentState>()) {
  state_->document = this;
}

HtmlDocument::~HtmlDocument() {
  state_->document = nullptr;
}

HRESULT HtmlDocument::get_all(IHTMLElementCollection** elements) {
  if (!elements) return E_POINTER;
  *elements = nullptr;
  return Guarded([&] {
    return OutObject(ComPtr<IHTMLElementCollection>(
                         MakeCom<HtmlElementCollection>(state_, DescendantElements(*state_->root))),
                     elements);
  });
}

HRESULT HtmlDocument::get_body(IHTMLElement** body) {
  if (!body) return E_POINTER;
  *body = nullptr;
  return Guarded([&] {
    NodePtr node = BodyOf(*state_);
    if (!node->IsElement()) return S_FALSE;
    return OutObject(HtmlElement::Wrap(state_, node)->AsElement(), body);
  });
}

HRESULT HtmlDocument::get_selection(IHTMLSelectionObject** selection) {
  if (!selection) return E_POINTER;
  *selection = nullptr;
  return Guarded([&] {
    return OutObject(ComPtr<IHTMLSelectionObject>(MakeCom<HtmlSelectionObject>(state_)), selection);
  });
}

HRESULT HtmlDocument::loadHTML(BSTR html) {
  return Guarded([&] {
    // Objects handed out before keep the old nodes, which now stand outside the document.
    std::u16string source(BstrView(html));
    NodePtr root = MakeNode(NodeKind::kDocument);
    ParseDocument(source, *root);
    state_->source = std::move(source);
    state_->root = std::move(root);
    state_->selection = Selection{};
    return S_OK;
  });
}

HRESULT HtmlDocument::get_documentHTML(BSTR* html) {
  return Guarded([&] { return OutText(WriteBack(*state_->root, state_->source), html); });
}

HRESULT HtmlDocument::CreateMarkupPointer(IMarkupPointer** pointer) {
  if (!pointer) return E_POINTER;
  *pointer = nullptr;
  return Guarded([&] {
    return OutObject(ComPtr<IMarkupPointer>(MakeCom<HtmlMarkupPointer>(state_)), pointer);
  });
}

HRESULT HtmlDocument::CreateDisplayPointer(IDisplayPointer** pointer) {
  if (!pointer) return E_POINTER;
  *pointer = nullptr;
  return Guarded([&] {
    return OutObject(ComPtr<IDisplayPointer>(MakeCom<HtmlDisplayPointer>(state_)), pointer);
  });
}

HRESULT HtmlDocument::GetCaret(IHTMLCaret** caret) {
  if (!caret) return E_POINTER;
  *caret = nullptr;
  return Guarded([&] { return OutObject(ComPtr<IHTMLCaret>(MakeCom<HtmlCaret>(state_)), caret); });
}

}  // namespace kpx::html

namespace kpx {

HRESULT CreateHTMLDocument(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return Guarded([&] {
    ComPtr<html::HtmlDocument> document = MakeCom<html::HtmlDocument>();
    return document->QueryInterface(riid, ppv);
  });
}

}  // namespace kpx
