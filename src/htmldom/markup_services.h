// Markup pointers, display pointers and the caret of the HTML document stand-in. A pointer holds
// a point between the children of an element; it stays where it is while other parts change and
// is no longer positioned once its element has left the document.
#pragma once

#include "com/com_object.h"
#include "htmldom/document_state.h"
#include "kpx/mshtml.h"

namespace kpx::html {

class HtmlMarkupPointer final : public ComObject<IMarkupPointer> {
 public:
  explicit HtmlMarkupPointer(StatePtr state) : state_(std::move(state)) {}

  static ComPtr<HtmlMarkupPointer> From(IUnknown* pointer);
  HRESULT QueryInterface(REFIID riid, void** ppv) override;

  HRESULT MoveAdjacentToElement(IHTMLElement* element, ELEMENT_ADJACENCY where) override;
  HRESULT MoveToPointer(IMarkupPointer* other) override;
  HRESULT IsPositioned(VARIANT_BOOL* positioned) override;
  HRESULT Unposition() override;
  HRESULT CurrentScope(IHTMLElement** scope) override;
  HRESULT IsEqualTo(IMarkupPointer* other, VARIANT_BOOL* equal) override;
  HRESULT IsLeftOf(IMarkupPointer* other, VARIANT_BOOL* left) override;

  // The point, when it still lies in the document.
  bool Positioned() const { return InDocument(*state_, point_); }
  const TreePoint& point() const { return point_; }
  void set_point(TreePoint point) { point_ = std::move(point); }
  const StatePtr& state() const { return state_; }

 private:
  // Compares with another pointer of the same document; false when either is not positioned.
  bool Compare(IMarkupPointer* other, int* order);

  StatePtr state_;
  TreePoint point_;
};

class HtmlDisplayPointer final : public ComObject<IDisplayPointer> {
 public:
  explicit HtmlDisplayPointer(StatePtr state) : state_(std::move(state)) {}

  static ComPtr<HtmlDisplayPointer> From(IUnknown* pointer);
  HRESULT QueryInterface(REFIID riid, void** ppv) override;

  HRESULT MoveToMarkupPointer(IMarkupPointer* pointer, IDisplayPointer* line_context) override;
  HRESULT PositionMarkupPointer(IMarkupPointer* pointer) override;

  const TreePoint& point() const { return point_; }
  void set_point(TreePoint point) { point_ = std::move(point); }

 private:
  StatePtr state_;
  TreePoint point_;
};

class HtmlCaret final : public ComObject<IHTMLCaret> {
 public:
  explicit HtmlCaret(StatePtr state) : state_(std::move(state)) {}

  HRESULT MoveCaretToPointer(IDisplayPointer* pointer, VARIANT_BOOL scroll,
                             CARET_DIRECTION direction) override;
  HRESULT MoveMarkupPointerToCaret(IMarkupPointer* pointer) override;
  HRESULT MoveDisplayPointerToCaret(IDisplayPointer* pointer) override;

 private:
  // Where the caret stands: see IHTMLCaret::MoveMarkupPointerToCaret.
  TreePoint CaretPoint() const;

  StatePtr state_;
};

}  // namespace kpx::html
