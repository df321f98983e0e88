// Keeping the caret across a table edit.
#include "tables/caret_keeper.h"

#include "tables/html_calls.h"

namespace kpx::tables {

CaretKeeper::CaretKeeper(IHTMLDocument2* document, IDispatch* range) {
  if (ComPtr<IHTMLTxtRange> text = ComPtr<IDispatch>(range).As<IHTMLTxtRange>()) {
    Check(text->collapse(VARIANT_TRUE));
    Check(text->select());
  }
  ComPtr<IMarkupServices> markup;
  Check(document->QueryInterface(IMarkupServices::kIID, markup.PutVoid()));
  Check(document->QueryInterface(IDisplayServices::kIID, display_.PutVoid()));
  Check(markup->CreateMarkupPointer(pointer_.Put()));
  Check(display_->GetCaret(caret_.Put()));
  Check(caret_->MoveMarkupPointerToCaret(pointer_.Get()));
}

void CaretKeeper::Restore(IHTMLElement* fallback) {
  VARIANT_BOOL positioned = VARIANT_FALSE;
  Check(pointer_->IsPositioned(&positioned));
  if (positioned == VARIANT_FALSE) {
    if (!fallback) return;
    Check(pointer_->MoveAdjacentToElement(fallback, ELEM_ADJ_AfterBegin));
  }
  ComPtr<IDisplayPointer> display_pointer;
  Check(display_->CreateDisplayPointer(display_pointer.Put()));
  Check(display_pointer->MoveToMarkupPointer(pointer_.Get(), nullptr));
  Check(caret_->MoveCaretToPointer(display_pointer.Get(), VARIANT_FALSE,
                                   CARET_DIRECTION_INDETERMINATE));
}

}  // namespace kpx::tables
