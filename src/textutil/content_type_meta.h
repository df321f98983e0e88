// The content-type META of a page as the XHTML conversion sees it.
#pragma once

#include <string>

#include "markup/markup_string.h"
#include "markup/tag_record.h"

namespace kpx {

// Whether the meta tag states a content type: its http-equiv or its name attribute is
// "content-type" (any letter case).
bool IsContentTypeMeta(const TagRecord& tag);

// Whether a content value already says application/xhtml+xml: the two agree over the shorter of
// their lengths, compared with the value's own case rule. An empty value never does.
bool SaysXhtmlMediaType(const MarkupString& value);

// What replaces a content value, quotes included: "application/xhtml+xml" followed by the old
// value's parameters (from its first ";" on, a charset for example), in double quotes.
std::u16string XhtmlContentValue(const MarkupString& old_value);

}  // namespace kpx
