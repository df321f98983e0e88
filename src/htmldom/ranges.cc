// Text ranges, control ranges and the selection of the HTML document stand-in.
#include "htmldom/ranges.h"

#include "base/status.h"
#include "com/bstr.h"
#include "htmldom/com_util.h"
#include "htmldom/element.h"

namespace kpx::html {

namespace {

// Identifies the stand-in's own text ranges to QueryInterface (never handed to callers).
constexpr IID kTextRangeObjectIID = {
    0x9D3E8A61, 0x2B7C, 0x4F15, {0xA8, 0x0E, 0x5C, 0x41, 0x7B, 0x93, 0x26, 0xD4}};

ComPtr<IHTMLElement> WrapContainer(const StatePtr& state, Node* node) {
  if (!node) return nullptr;
  if (!node->IsElement()) {
    NodePtr body = BodyOf(*state);
    if (!body->IsElement()) return nullptr;
    return HtmlElement::Wrap(state, body)->AsElement();
  }
  return HtmlElement::Wrap(state, node->shared_from_this())->AsElement();
}

TreePoint BodyStart(const StatePtr& state) {
  return TreePoint{BodyOf(*state), 0};
}

}  // namespace

ComPtr<HtmlTextRange> HtmlTextRange::From(IUnknown* range) {
  ComPtr<HtmlTextRange> out;
  if (range) range->QueryInterface(kTextRangeObjectIID, out.PutVoid());
  return out;
}

HRESULT HtmlTextRange::QueryInterface(REFIID riid, void** ppv) {
  if (ppv && riid == kTextRangeObjectIID) {
    *ppv = this;
    AddRef();
    return S_OK;
  }
  return DispatchObject::QueryInterface(riid, ppv);
}

HRESULT HtmlTextRange::get_text(BSTR* text) {
  if (!text) return E_POINTER;
  *text = nullptr;
  if (!InDocument(*state_, start_) || !InDocument(*state_, end_)) return OutText(u"", text);
  return Guarded([&] { return OutText(TextBetween(start_, end_), text); });
}

HRESULT HtmlTextRange::parentElement(IHTMLElement** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  if (!InDocument(*state_, start_) || !InDocument(*state_, end_)) return S_FALSE;
  return Guarded(
      [&] { return OutObject(WrapContainer(state_, CommonContainer(start_, end_)), parent); });
}

HRESULT HtmlTextRange::duplicate(IHTMLTxtRange** copy) {
  if (!copy) return E_POINTER;
  *copy = nullptr;
  return Guarded([&] {
    ComPtr<IHTMLTxtRange> made = MakeCom<HtmlTextRange>(state_, start_, end_);
    return OutObject(made, copy);
  });
}

HRESULT HtmlTextRange::collapse(VARIANT_BOOL start) {
  if (start != VARIANT_FALSE) {
    end_ = start_;
  } else {
    start_ = end_;
  }
  return S_OK;
}

HRESULT HtmlTextRange::moveToElementText(IHTMLElement* element) {
  ComPtr<HtmlElement> object = HtmlElement::From(element);
  if (!object || object->state() != state_) return E_INVALIDARG;
  start_ = ContentStart(object->node());
  end_ = ContentEnd(object->node());
  return S_OK;
}

HRESULT HtmlTextRange::Resolve(BSTR how, IHTMLTxtRange* other, TreePoint** mine,
                               TreePoint* theirs) {
  ComPtr<HtmlTextRange> range = HtmlTextRange::From(other);
  if (!range || range->state_ != state_) return E_INVALIDARG;
  const std::u16string_view text = BstrView(how);
  bool my_start, their_start;
  if (EqualsIgnoringCase(text, u"StartToStart")) {
    my_start = true, their_start = true;
  } else if (EqualsIgnoringCase(text, u"StartToEnd")) {
    my_start = true, their_start = false;
  } else if (EqualsIgnoringCase(text, u"EndToStart")) {
    my_start = false, their_start = true;
  } else if (EqualsIgnoringCase(text, u"EndToEnd")) {
    my_start = false, their_start = false;
  } else {
    return E_INVALIDARG;
  }
  *mine = my_start ? &start_ : &end_;
  *theirs = their_start ? range->start_ : range->end_;
  return S_OK;
}

HRESULT HtmlTextRange::compareEndPoints(BSTR how, IHTMLTxtRange* other, LONG* result) {
  if (!result) return E_POINTER;
  *result = 0;
  TreePoint* mine = nullptr;
  TreePoint theirs;
  HRESULT hr = Resolve(how, other, &mine, &theirs);
  if (FAILED(hr)) return hr;
  if (!InDocument(*state_, *mine) || !InDocument(*state_, theirs)) return E_UNEXPECTED;
  return Guarded([&] {
    *result = ComparePoints(*mine, theirs);
    return S_OK;
  });
}

HRESULT HtmlTextRange::setEndPoint(BSTR how, IHTMLTxtRange* other) {
  TreePoint* mine = nullptr;
  TreePoint theirs;
  HRESULT hr = Resolve(how, other, &mine, &theirs);
  if (FAILED(hr)) return hr;
  *mine = theirs;
  if (!InDocument(*state_, start_) || !InDocument(*state_, end_)) return S_OK;
  return Guarded([&] {
    // A start moved past the end (or an end before the start) takes the other point along.
    if (ComparePoints(start_, end_) > 0) {
      if (mine == &start_) {
        end_ = start_;
      } else {
        start_ = end_;
      }
    }
    return S_OK;
  });
}

HRESULT HtmlTextRange::select() {
  if (!InDocument(*state_, start_) || !InDocument(*state_, end_)) return E_UNEXPECTED;
  Selection& selection = state_->selection;
  selection.kind = Selection::Kind::kText;
  selection.start = start_;
  selection.end = end_;
  selection.controls.clear();
  return S_OK;
}

HRESULT HtmlControlRange::select() {
  return Guarded([&] {
    Selection& selection = state_->selection;
    selection.kind = elements_.empty() ? Selection::Kind::kNone : Selection::Kind::kControl;
    selection.controls = elements_;
    selection.start = selection.end = TreePoint{};
    return S_OK;
  });
}

HRESULT HtmlControlRange::add(IHTMLElement* element) {
  ComPtr<HtmlElement> object = HtmlElement::From(element);
  if (!object || object->state() != state_) return E_INVALIDARG;
  return Guarded([&] {
    elements_.push_back(object->node());
    return S_OK;
  });
}

HRESULT HtmlControlRange::remove(LONG index) {
  if (index < 0 || static_cast<size_t>(index) >= elements_.size()) return E_INVALIDARG;
  elements_.erase(elements_.begin() + index);
  return S_OK;
}

HRESULT HtmlControlRange::item(LONG index, IHTMLElement** element) {
  if (!element) return E_POINTER;
  *element = nullptr;
  if (index < 0 || static_cast<size_t>(index) >= elements_.size()) return S_FALSE;
  return Guarded([&] {
    return OutObject(HtmlElement::Wrap(state_, elements_[static_cast<size_t>(index)])->AsElement(),
                     element);
  });
}

HRESULT HtmlControlRange::get_length(LONG* length) {
  if (!length) return E_POINTER;
  *length = static_cast<LONG>(elements_.size());
  return S_OK;
}

HRESULT HtmlControlRange::commonParentElement(IHTMLElement** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  if (elements_.empty()) return S_FALSE;
  return Guarded([&] {
    Node* common = elements_[0].get();
    for (const NodePtr& e : elements_) {
      while (common && !IsInside(*e, *common)) common = common->parent;
    }
    if (!common || !common->IsElement()) return S_FALSE;
    return OutObject(HtmlElement::Wrap(state_, common->shared_from_this())->AsElement(), parent);
  });
}

HRESULT HtmlSelectionObject::createRange(IDispatch** range) {
  if (!range) return E_POINTER;
  *range = nullptr;
  return Guarded([&] {
    const Selection& selection = state_->selection;
    if (selection.kind == Selection::Kind::kControl) {
      std::vector<NodePtr> present;
      for (const NodePtr& e : selection.controls) {
        if (IsInside(*e, *state_->root)) present.push_back(e);
      }
      return OutDispatch(ComPtr<IHTMLControlRange>(MakeCom<HtmlControlRange>(state_, present)),
                         range);
    }
    TreePoint start = BodyStart(state_);
    TreePoint end = start;
    if (selection.kind == Selection::Kind::kText && InDocument(*state_, selection.start) &&
        InDocument(*state_, selection.end)) {
      start = selection.start;
      end = selection.end;
    }
    return OutDispatch(ComPtr<IHTMLTxtRange>(MakeCom<HtmlTextRange>(state_, start, end)), range);
  });
}

HRESULT HtmlSelectionObject::empty() {
  state_->selection = Selection{};
  return S_OK;
}

HRESULT HtmlSelectionObject::get_type(BSTR* type) {
  const Selection& selection = state_->selection;
  switch (selection.kind) {
    case Selection::Kind::kControl:
      return OutText(u"Control", type);
    case Selection::Kind::kText:
      if (InDocument(*state_, selection.start) && InDocument(*state_, selection.end) &&
          ComparePoints(selection.start, selection.end) != 0) {
        return OutText(u"Text", type);
      }
      return OutText(u"None", type);
    case Selection::Kind::kNone:
      break;
  }
  return OutText(u"None", type);
}

}  // namespace kpx::html
