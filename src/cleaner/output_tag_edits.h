// Edits to the tags of chosen elements in libtidy's printed output, found by walking the
// document tree and the printed text side by side.
#pragma once

#include <tidy/tidy.h>

#include <string>

#include "cleaner/tidy_node_map.h"

namespace kpx {

// What to do with one element's printed tags.
struct TagEdit {
  std::u16string written_name;  // when not empty: the name to print instead (same length)
  bool unwrap = false;          // remove the start and end tag, keep what is between them
};

using TagEditPlan = TidyNodeMap<TagEdit>;

// Applies plan to output, the text libtidy printed for the tree below root (callers hold the
// tidy lock; the tree must be the one that was printed). libtidy prints the nodes in tree order,
// escapes "<" everywhere except in script and style content and in comments and the other
// markup it copies, so the start tag of the N-th element is the N-th "<name" found by skipping
// those (an element it did not print is passed over with its content). Returns false, leaving
// output unchanged, when the text and the tree do not line up or an element of the plan was not
// found.
bool ApplyTagEdits(TidyNode root, const TagEditPlan& plan, std::u16string* output);

}  // namespace kpx
