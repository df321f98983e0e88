// The selection of the HTML document stand-in and the ranges it hands out: text ranges between
// two points, control ranges of whole elements.
#pragma once

#include <vector>

#include "com/com_object.h"
#include "htmldom/document_state.h"
#include "kpx/mshtml.h"

namespace kpx::html {

class HtmlTextRange final : public DispatchObject<IHTMLTxtRange> {
 public:
  HtmlTextRange(StatePtr state, TreePoint start, TreePoint end)
      : state_(std::move(state)), start_(std::move(start)), end_(std::move(end)) {}

  // The object behind a text range of this implementation, or null.
  static ComPtr<HtmlTextRange> From(IUnknown* range);
  HRESULT QueryInterface(REFIID riid, void** ppv) override;

  HRESULT get_text(BSTR* text) override;
  HRESULT parentElement(IHTMLElement** parent) override;
  HRESULT duplicate(IHTMLTxtRange** copy) override;
  HRESULT collapse(VARIANT_BOOL start) override;
  HRESULT moveToElementText(IHTMLElement* element) override;
  HRESULT compareEndPoints(BSTR how, IHTMLTxtRange* other, LONG* result) override;
  HRESULT setEndPoint(BSTR how, IHTMLTxtRange* other) override;
  HRESULT select() override;

 private:
  // Reads how ("StartToEnd" ...) into the point of this range and the point of other it names.
  HRESULT Resolve(BSTR how, IHTMLTxtRange* other, TreePoint** mine, TreePoint* theirs);

  StatePtr state_;
  TreePoint start_, end_;
};

class HtmlControlRange final : public DispatchObject<IHTMLControlRange> {
 public:
  HtmlControlRange(StatePtr state, std::vector<NodePtr> elements)
      : state_(std::move(state)), elements_(std::move(elements)) {}

  HRESULT select() override;
  HRESULT add(IHTMLElement* element) override;
  HRESULT remove(LONG index) override;
  HRESULT item(LONG index, IHTMLElement** element) override;
  HRESULT get_length(LONG* length) override;
  HRESULT commonParentElement(IHTMLElement** parent) override;

 private:
  StatePtr state_;
  std::vector<NodePtr> elements_;
};

class HtmlSelectionObject final : public DispatchObject<IHTMLSelectionObject> {
 public:
  explicit HtmlSelectionObject(StatePtr state) : state_(std::move(state)) {}

  HRESULT createRange(IDispatch** range) override;
  HRESULT empty() override;
  HRESULT get_type(BSTR* type) override;

 private:
  StatePtr state_;
};

}  // namespace kpx::html
