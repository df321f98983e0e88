// The two ways TextEditList applies its edits (internal to the markup library and its tests).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "markup/text_edit_list.h"

namespace kpx {

// Applies the edits in one pass over the text, in time linear in the text plus n log n in the
// number of edits. Returns nothing when the list holds a move or overlapping edits (see
// TextEditList), which only ReplayEdits handles. Throws ConverterError (E_INVALIDARG) when an
// edit reaches outside the text.
std::optional<std::u16string> ApplyEditsInOnePass(std::u16string_view text,
                                                  std::span<const TextEdit> edits);

// Applies the edits one after the other in recording order, shifting the positions of the
// edits still to come after each one, over a piece table so that the text is copied once.
// Handles every list; time quadratic in the number of edits. Throws ConverterError
// (E_INVALIDARG) when an edit falls outside the text as it stands when its turn comes.
std::u16string ReplayEdits(std::u16string_view text, std::span<const TextEdit> edits);

}  // namespace kpx
