// What both parsers say about BEGIN/END blocks that do not pair up, and how they tell blocks apart.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "recognition/parse_context.h"

namespace kpx {

// What an END's type must equal (ASCII case aside) to close the block.
std::u16string BlockKey(const PageNode& block);

// An END that closes nothing: parse error 5 and, for a component type, the missing-BEGIN message
// (inside: the innermost open block, or null). The END stays literal text.
void ReportUnmatchedEnd(ParseContext& context, std::u16string_view type, std::u16string_view name,
                        size_t offset, const PageNode* inside);

// The END of the innermost open block is missing where an outer END closes it (enclosing: the open
// block around it, or null).
void ReportMissingEnd(ParseContext& context, const PageNode& block, const PageNode* enclosing,
                      size_t offset);

// A block still open at the end of the text. Returns true when the parse must stop.
bool ReportOpenAtEnd(ParseContext& context, const PageNode& block);

}  // namespace kpx
