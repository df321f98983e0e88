// Small helpers over libtidy's document tree. Callers hold the tidy lock.
#pragma once

#include <tidy/tidy.h>

#include <string_view>
#include <vector>

namespace kpx {

// True for nodes that are elements (start tags, with or without content).
inline bool IsElement(TidyNode node) {
  const TidyNodeType type = tidyNodeGetType(node);
  return type == TidyNode_Start || type == TidyNode_StartEnd;
}

// The element's name as libtidy holds it (lower case), or empty.
inline std::string_view ElementName(TidyNode node) {
  const char* name = tidyNodeGetName(node);
  return name ? std::string_view(name) : std::string_view();
}

// Calls visit(node) for every node below root in document order, without recursion (pages can
// nest deeply).
template <class Visit>
void ForEachNode(TidyNode root, Visit&& visit) {
  std::vector<TidyNode> pending;
  for (TidyNode node = tidyGetChild(root); node != nullptr || !pending.empty();) {
    if (node == nullptr) {
      node = tidyGetNext(pending.back());
      pending.pop_back();
      continue;
    }
    visit(node);
    if (TidyNode child = tidyGetChild(node)) {
      pending.push_back(node);
      node = child;
    } else {
      node = tidyGetNext(node);
    }
  }
}

}  // namespace kpx
