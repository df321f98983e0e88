// insertMETA: puts a META element (any text, in fact) where a page's head content belongs.
#pragma once

#include <string>
#include <string_view>

#include "markup/text_edit_list.h"

namespace kpx {

// Inserts meta, unchanged, at the first of these places: after <head> and the whitespace after
// it; before <body>; before </head>. When the page has none of them: after the (last) <html>
// start tag and the whitespace after it, or at the very start. Tag names in any letter case;
// nothing else in the page changes. edits holds neither text nor edit afterwards. Throws
// std::bad_alloc when memory runs out.
std::u16string InsertMeta(TextEditList& edits, std::u16string_view html, std::u16string_view meta);

}  // namespace kpx
