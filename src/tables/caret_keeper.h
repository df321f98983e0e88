// Keeps the caret of the editor's document across a table edit: a markup pointer placed at the
// caret before the edit, and the caret put back there (or into a given cell) after it.
#pragma once

#include "kpx/mshtml.h"

namespace kpx::tables {

class CaretKeeper {
 public:
  // Collapses a text selection to its start and selects it, then places a pointer at the caret.
  CaretKeeper(IHTMLDocument2* document, IDispatch* range);

  // Puts the caret back at the pointer; where the pointer's place has left the document, at the
  // start of fallback's content (nothing happens without one).
  void Restore(IHTMLElement* fallback);

 private:
  ComPtr<IDisplayServices> display_;
  ComPtr<IHTMLCaret> caret_;
  ComPtr<IMarkupPointer> pointer_;
};

}  // namespace kpx::tables
