// balance and moveBodyTags: repairs of a page's structure at the level of head, body and
// frameset, made with a handful of edits so that the rest of the page stays as written.
#pragma once

#include <string>
#include <string_view>

#include "markup/text_edit_list.h"
#include "markup/text_scanner.h"

namespace kpx {

// Closes a head the author left open (before the first tag that cannot stand in a head, or
// before the body or frameset start tag), opens the body or frameset that the page lacks where
// the head content ends (only when the page has </body> or </frameset>, and only when it has a
// head), and removes a second <body>, a second <frameset> and a second </head>, each with the
// whitespace after it. A body start tag met after the place where the body was to be opened is
// moved to that place. Tags outside the element table are not looked at.
//
// Attribute escaping is off (the process-wide switch) while it runs and is restored on every way
// out; no tag is repaired. edits holds neither text nor edit afterwards. Throws std::bad_alloc
// when memory runs out.
std::u16string BalanceHeadAndBody(TextEditList& edits, std::u16string_view html);

// The same for a caller that goes on with html itself when balancing changes nothing, so that a
// page already balanced is not copied: false then, with *balanced left alone; otherwise true,
// with the balanced text in *balanced.
bool BalanceHeadAndBodyIfNeeded(TextEditList& edits, BorrowedText html, std::u16string* balanced);

// Moves the start tags that stand between <body> (itself included) and </body>, except meta and
// link, each with the whitespace after it, to the start of the </head> tag, when the page has a
// head start tag and a </head>. Each moved tag is inserted in front of the ones moved before it,
// so they arrive in reverse order. Same switch, edit list and failure rules as above.
std::u16string MoveBodyTags(TextEditList& edits, std::u16string_view html);

}  // namespace kpx
