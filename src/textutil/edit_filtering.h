// Which edits lie inside a range of the text, and recording an edit again elsewhere.
#pragma once

#include <cstddef>

#include "markup/text_edit_list.h"

namespace kpx {

// Whether edit lies inside [start, end): a delete or lower-case wholly within it, an insert
// strictly inside it, or an insert on one of its edges when edges names that edge.
bool EditLiesInside(const TextEdit& edit, std::size_t start, std::size_t end, EdgeInserts edges);

// Records edit in edits as it is (position, kind, text, after flag).
void RecordAgain(TextEditList& edits, const TextEdit& edit);

}  // namespace kpx
