// Fixed lists of element names and the questions asked of them: document-level names, raw
// content, form controls, table structure, cells, and which inline elements may contain what.
// Every comparison ignores ASCII case unless said otherwise.
#pragma once

#include <optional>
#include <string_view>

#include "markup/markup_string.h"

namespace kpx {

// False for the names that belong to the document rather than its body (BASE, BASEFONT,
// BGSOUND, LINK, META, nextId, SCRIPT, STYLE, TITLE, BODY, HEAD, HTML, NOSCRIPT) and for
// "kpsCDATA"; true otherwise. "kpsCDATA" is compared with the name's own case flag, so a
// flagged "kpscdata" is body content and an unflagged one is not. A plain view counts as
// lacking the flag.
bool IsBodyContent(const MarkupString& name) noexcept;
bool IsBodyContent(std::u16string_view name) noexcept;

// SCRIPT, STYLE, COMMENT: elements whose content is not markup.
bool IsRawContent(std::u16string_view name) noexcept;

// select, option, textarea.
bool IsFormControl(std::u16string_view name) noexcept;

// 1 for table, thead, tfoot, tbody, tr, td, th; nothing for any other name.
std::optional<int> TableStructureValue(std::u16string_view name) noexcept;

// td, th.
bool IsCellName(std::u16string_view name) noexcept;

// Whether a tag of one name closes an open tag of the other: equal names, or two cell names
// (so th closes td and the reverse).
bool Closes(std::u16string_view name, std::u16string_view other) noexcept;

// The 40 names of the inline content set: p, br, span, bdo, object, applet, img, map, iframe,
// tt, i, b, u, s, strike, big, small, font, basefont, em, strong, dfn, code, q, samp, kbd, var,
// cite, abbr, acronym, sub, sup, input, select, textarea, label, button, ins, del, script.
bool IsInlineContentName(std::u16string_view name) noexcept;

// True when parent is not in the inline content set; otherwise true only when child is in the
// set and parent allows it: p allows every name of the set but p, the others allow them all.
bool MayContain(std::u16string_view parent, std::u16string_view child) noexcept;

}  // namespace kpx
