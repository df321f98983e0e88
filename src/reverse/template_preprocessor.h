// Template pre-processing: undoes what the IDE's HTML editor did to a template before the page XML
// writer reads it (coloured font decoration, absolute file URLs, percent-encoded braces, renamed
// attributes, misplaced tags, component extents in design HTML). One pass over the text with the
// document scanner; its edits are applied once at the end.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kpx/host.h"
#include "markup/text_edit_list.h"
#include "profile/substitution_table.h"

namespace kpx {

// The colour used when the registry lists none.
inline constexpr std::u16string_view kDefaultRemovedFontColour = u"#0066cc";

// The colours of a registry value ("#aabbcc;red"): split at ";", trimmed, lower-cased, empty
// items skipped; the default colour when there is no value or it yields none.
std::vector<std::u16string> RemovedFontColours(std::optional<std::u16string_view> value);

struct PreprocessOptions {
  std::vector<std::u16string> colours;  // as RemovedFontColours gives them
  // The reverse profile's substitutions; null when no reverse profile is loaded.
  const SubstitutionTable* substitutions = nullptr;
};

// Pre-processes text for page (a host page object). The result goes to *out. E_INVALIDARG when
// the template holds a span but no kpsServiceable attribute anywhere; the failure status of the
// host formatter's creation or initialisation otherwise; S_OK.
HRESULT PreprocessTemplate(TextEditList& list, IUnknown* page, std::u16string_view text,
                           const PreprocessOptions& options, std::u16string* out);

}  // namespace kpx
