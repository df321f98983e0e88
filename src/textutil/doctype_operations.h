// The DOCTYPE operations: masking the page's DOCTYPE from tools that would act on it, bringing it
// back, and putting the HTML 4.01 Transitional one in its place.
#pragma once

#include <string>
#include <string_view>

#include "markup/text_edit_list.h"

namespace kpx {

// Each reads the prolog of html (comments and declarations before anything else), records its
// changes in edits and returns the page with them applied. When a DOCTYPE changed, the repairs
// of the tag that follows the prolog are applied too; otherwise nothing else changes. edits
// holds neither text nor edit afterwards. Throws std::bad_alloc when memory runs out.

// Every DOCTYPE declaration of the prolog is renamed KPSDOCTYPE: <!DOCTYPE html> becomes
// <!KPSDOCTYPE html>.
std::u16string MaskDoctype(TextEditList& edits, std::u16string_view html);

// Every KPSDOCTYPE declaration of the prolog becomes a DOCTYPE again (written in capitals). When
// the page holds "KPSDOCTYPE" or "kpsdoctype" anywhere, or once a masked declaration was met, a
// plain DOCTYPE of the prolog (one that a later tool added beside the masked one) is removed with
// the whitespace after it.
std::u16string UnmaskDoctype(TextEditList& edits, std::u16string_view html);

// Removes every DOCTYPE of the prolog with the whitespace after it and, when the prolog is
// followed by the html start tag, puts the HTML 4.01 Transitional line (and CR LF) before it.
std::u16string PrepareDoctypeForSection508(TextEditList& edits, std::u16string_view html);

}  // namespace kpx
