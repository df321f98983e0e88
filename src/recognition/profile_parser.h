// The parse under a converter profile: the same pass over the document scanner's items as the
// built-in parse, with each construct (tag, declaration, comment, block, placeholder) handed to
// the rule that the effective mode has for it in its context.
#pragma once

#include "profile/prepared_mode.h"
#include "recognition/parse_context.h"

namespace kpx {

// Parses the context's text into its root node under the prepared mode. Stops early only when the
// context aborts.
void ParseWithProfile(ParseContext& context, const PreparedMode& mode);

}  // namespace kpx
