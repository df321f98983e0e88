// The walk over the prolog of a page (the declarations and comments before its first other item)
// that the DOCTYPE operations share.
#pragma once

#include <cstddef>
#include <string_view>

#include "markup/document_scanner.h"
#include "markup/markup_char_classes.h"
#include "markup/text_edit_list.h"
#include "textutil/tag_extent.h"

namespace kpx {

// A declaration met in the prolog.
struct PrologDeclaration {
  std::u16string_view name;  // "DOCTYPE", "xml", ...
  std::size_t start;         // its first character
  std::size_t keyword;       // its first letter (or ">", or the end of the text): the name
  std::size_t next_item;     // where the item after it starts (after whitespace and line breaks)
};

// How the walk ended: the kind of the item that ended it (kEnd at the end of the text) and where
// that item starts.
struct PrologEnd {
  MarkupItem kind;
  std::size_t item_start;
};

// Reads items from the scanner's position: comments are passed over, each declaration goes to
// on_declaration, which returns whether it changed the page, and any other item ends the walk.
// When no declaration changed the page, the edits recorded since the walk began (the repairs of
// the tag that ended it) are withdrawn.
template <class OnDeclaration>
PrologEnd WalkProlog(DocumentScanner& scanner, TextEditList& edits, OnDeclaration on_declaration) {
  const std::size_t edits_at_start = edits.EditCount();
  const std::u16string_view text = scanner.Text();
  bool changed = false;
  for (;;) {
    const MarkupItem kind = scanner.NextItem();
    const std::size_t item_start = scanner.ItemStart();
    if (kind == MarkupItem::kComment) continue;
    if (kind != MarkupItem::kDeclaration) {
      if (!changed) edits.Withdraw(edits.EditCount() - edits_at_start);
      return {kind, item_start};
    }
    std::size_t keyword = item_start;
    while (keyword < text.size() && text[keyword] != u'>' &&
           !HasCharClass(text[keyword], kCharAsciiLetter)) {
      ++keyword;
    }
    const std::size_t end = DeclarationEnd(scanner);
    const PrologDeclaration declaration{scanner.ItemTextView(), item_start, keyword,
                                        SkipBlanksFrom(text, end)};
    if (on_declaration(declaration)) changed = true;
    scanner.SetPosition(end);
  }
}

}  // namespace kpx
