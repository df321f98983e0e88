// Markup pointers, display pointers and the caret of the HTML document stand-in.
#include "htmldom/markup_services.h"

#include "base/status.h"
#include "htmldom/com_util.h"
#include "htmldom/element.h"

namespace kpx::html {

namespace {

// Identify the stand-in's own pointers to QueryInterface (never handed to callers).
constexpr IID kMarkupPointerObjectIID = {
    0x1E6F4B90, 0x83C2, 0x47DA, {0x9A, 0x35, 0xC1, 0x0D, 0x72, 0xE8, 0x5B, 0x46}};
constexpr IID kDisplayPointerObjectIID = {
    0x7A2D91C4, 0x5E08, 0x4B6F, {0x8C, 0x13, 0xF4, 0x6B, 0x29, 0xA0, 0xD7, 0x58}};

template <class T>
HRESULT AnswerSelf(T* self, REFIID riid, const IID& own, void** ppv) {
  if (ppv && riid == own) {
    *ppv = self;
    self->AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

}  // namespace

ComPtr<HtmlMarkupPointer> HtmlMarkupPointer::From(IUnknown* pointer) {
  ComPtr<HtmlMarkupPointer> out;
  if (pointer) pointer->QueryInterface(kMarkupPointerObjectIID, out.PutVoid());
  return out;
}

HRESULT HtmlMarkupPointer::QueryInterface(REFIID riid, void** ppv) {
  if (AnswerSelf(this, riid, kMarkupPointerObjectIID, ppv) == S_OK) return S_OK;
  return ComObject::QueryInterface(riid, ppv);
}

HRESULT HtmlMarkupPointer::MoveAdjacentToElement(IHTMLElement* element, ELEMENT_ADJACENCY where) {
  ComPtr<HtmlElement> object = HtmlElement::From(element);
  if (!object || object->state() != state_) return E_INVALIDARG;
  const NodePtr& node = object->node();
  const bool outside = where == ELEM_ADJ_BeforeBegin || where == ELEM_ADJ_AfterEnd;
  if (outside && !node->parent) return E_UNEXPECTED;
  return Guarded([&] {
    switch (where) {
      case ELEM_ADJ_BeforeBegin:
        point_ = Before(*node);
        break;
      case ELEM_ADJ_AfterBegin:
        point_ = ContentStart(node);
        break;
      case ELEM_ADJ_BeforeEnd:
        point_ = ContentEnd(node);
        break;
      case ELEM_ADJ_AfterEnd:
        point_ = After(*node);
        break;
      default:
        return E_INVALIDARG;
    }
    return S_OK;
  });
}

HRESULT HtmlMarkupPointer::MoveToPointer(IMarkupPointer* other) {
  ComPtr<HtmlMarkupPointer> source = From(other);
  if (!source || source->state_ != state_) return E_INVALIDARG;
  point_ = source->point_;
  return S_OK;
}

HRESULT HtmlMarkupPointer::IsPositioned(VARIANT_BOOL* positioned) {
  if (!positioned) return E_POINTER;
  *positioned = Positioned() ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT HtmlMarkupPointer::Unposition() {
  point_ = TreePoint{};
  return S_OK;
}

HRESULT HtmlMarkupPointer::CurrentScope(IHTMLElement** scope) {
  if (!scope) return E_POINTER;
  *scope = nullptr;
  if (!Positioned() || !point_.container->IsElement()) return S_FALSE;
  return Guarded(
      [&] { return OutObject(HtmlElement::Wrap(state_, point_.container)->AsElement(), scope); });
}

bool HtmlMarkupPointer::Compare(IMarkupPointer* other, int* order) {
  ComPtr<HtmlMarkupPointer> source = From(other);
  if (!source || source->state_ != state_ || !Positioned() || !source->Positioned()) return false;
  *order = ComparePoints(point_, source->point_);
  return true;
}

HRESULT HtmlMarkupPointer::IsEqualTo(IMarkupPointer* other, VARIANT_BOOL* equal) {
  if (!equal) return E_POINTER;
  return Guarded([&] {
    int order = 0;
    if (!Compare(other, &order)) return E_INVALIDARG;
    *equal = order == 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

HRESULT HtmlMarkupPointer::IsLeftOf(IMarkupPointer* other, VARIANT_BOOL* left) {
  if (!left) return E_POINTER;
  return Guarded([&] {
    int order = 0;
    if (!Compare(other, &order)) return E_INVALIDARG;
    *left = order < 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

ComPtr<HtmlDisplayPointer> HtmlDisplayPointer::From(IUnknown* pointer) {
  ComPtr<HtmlDisplayPointer> out;
  if (pointer) pointer->QueryInterface(kDisplayPointerObjectIID, out.PutVoid());
  return out;
}

HRESULT HtmlDisplayPointer::QueryInterface(REFIID riid, void** ppv) {
  if (AnswerSelf(this, riid, kDisplayPointerObjectIID, ppv) == S_OK) return S_OK;
  return ComObject::QueryInterface(riid, ppv);
}

HRESULT HtmlDisplayPointer::MoveToMarkupPointer(IMarkupPointer* pointer, IDisplayPointer*) {
  ComPtr<HtmlMarkupPointer> source = HtmlMarkupPointer::From(pointer);
  if (!source || source->state() != state_ || !source->Positioned()) return E_INVALIDARG;
  point_ = source->point();
  return S_OK;
}

HRESULT HtmlDisplayPointer::PositionMarkupPointer(IMarkupPointer* pointer) {
  ComPtr<HtmlMarkupPointer> target = HtmlMarkupPointer::From(pointer);
  if (!target || target->state() != state_) return E_INVALIDARG;
  target->set_point(point_);
  return S_OK;
}

HRESULT HtmlCaret::MoveCaretToPointer(IDisplayPointer* pointer, VARIANT_BOOL, CARET_DIRECTION) {
  ComPtr<HtmlDisplayPointer> source = HtmlDisplayPointer::From(pointer);
  if (!source || !InDocument(*state_, source->point())) return E_INVALIDARG;
  Selection& selection = state_->selection;
  selection.kind = Selection::Kind::kText;
  selection.start = selection.end = source->point();
  selection.controls.clear();
  return S_OK;
}

TreePoint HtmlCaret::CaretPoint() const {
  const Selection& selection = state_->selection;
  if (selection.kind == Selection::Kind::kText && InDocument(*state_, selection.start)) {
    return selection.start;
  }
  if (selection.kind == Selection::Kind::kControl) {
    for (const NodePtr& e : selection.controls) {
      if (IsInside(*e, *state_->root)) return ContentStart(e);
    }
  }
  return ContentStart(BodyOf(*state_));
}

HRESULT HtmlCaret::MoveMarkupPointerToCaret(IMarkupPointer* pointer) {
  ComPtr<HtmlMarkupPointer> target = HtmlMarkupPointer::From(pointer);
  if (!target || target->state() != state_) return E_INVALIDARG;
  target->set_point(CaretPoint());
  return S_OK;
}

HRESULT HtmlCaret::MoveDisplayPointerToCaret(IDisplayPointer* pointer) {
  ComPtr<HtmlDisplayPointer> target = HtmlDisplayPointer::From(pointer);
  if (!target) return E_INVALIDARG;
  target->set_point(CaretPoint());
  return S_OK;
}

}  // namespace kpx::html
