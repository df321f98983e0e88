// Which elements may stand directly inside which in the XHTML conversion: the inline content
// set of the markup model with "a" added, so that a paragraph holding a link stays a paragraph.
#pragma once

#include <string_view>

namespace kpx {

// The 41 names: the markup model's inline content set and "a" (any letter case).
bool IsXhtmlInlineContentName(std::u16string_view name);

// True when parent is outside the set; otherwise only when child is in it, and for p only when
// child is not another p.
bool MayContainInXhtml(std::u16string_view parent, std::u16string_view child);

}  // namespace kpx
