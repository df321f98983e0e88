// The parse without a converter profile: fixed behaviour for blocks, placeholders, components in
// attribute and script strings, CDATA sections and the tags the site asks to parse.
#pragma once

#include "recognition/parse_context.h"

namespace kpx {

// Parses the context's text into its root node. Stops early only when the context aborts.
void ParseBuiltIn(ParseContext& context);

}  // namespace kpx
