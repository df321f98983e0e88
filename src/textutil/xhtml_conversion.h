// makeExtensible's conversion: a page template made readable for an XHTML reader by a handful of
// edits, everything else left exactly as written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "markup/text_edit_list.h"

namespace kpx {

// The converter's publish mode, a 16-bit boolean.
inline constexpr std::int16_t kPublishModeOff = 0;
inline constexpr std::int16_t kPublishModeOn = -1;

// Converts html and returns the result. The edits: an XHTML 1.0 Transitional DOCTYPE in place of
// any old one when the page starts with <html> (only while publish mode is off; otherwise the
// prolog stays as it is), lower-case tag names, the XHTML namespace on html, type attributes
// and CDATA guards on scripts and styles, " /" closing empty elements, p tags taken away where
// block content or another p opens inside, one content-type META saying application/xhtml+xml
// (added before </head> when the page has none; in publish mode a meta outside head goes), and
// the attribute repairs of every tag read. Text that cannot be read as markup passes unchanged.
//
// edits is the list to record into (the converter's own); it holds neither text nor edit when
// this returns or throws. Throws std::bad_alloc when memory runs out.
std::u16string ConvertToXhtml(TextEditList& edits, std::u16string_view html,
                              std::int16_t publish_mode);

}  // namespace kpx
