#include "cleaner/anchor_fixing.h"

#include <tidy/tidyenum.h>

#include <vector>

#include "cleaner/tidy_node_map.h"
#include "cleaner/tidy_tree.h"

namespace kpx {

void AnchorFixingUndo::Record(TidyNode root) {
  before_.clear();
  ForEachNode(root, [&](TidyNode node) {
    if (!IsElement(node)) return;
    Anchors anchors{node, tidyNodeLine(node), tidyNodeColumn(node), false, false};
    for (TidyAttr attr = tidyAttrFirst(node); attr != nullptr; attr = tidyAttrNext(attr)) {
      const TidyAttrId id = tidyAttrGetId(attr);
      anchors.had_id |= id == TidyAttr_ID;
      anchors.had_name |= id == TidyAttr_NAME;
    }
    before_.push_back(anchors);
  });
}

void AnchorFixingUndo::Undo(TidyDoc doc, TidyNode root) const {
  // Only an element that carries an id or a name now can have been given one.
  std::vector<TidyNode> carriers;
  TidyNodeMap<const Anchors*> recorded;  // each carrier's record, if it has one
  ForEachNode(root, [&](TidyNode node) {
    if (!IsElement(node)) return;
    for (TidyAttr attr = tidyAttrFirst(node); attr != nullptr; attr = tidyAttrNext(attr)) {
      const TidyAttrId id = tidyAttrGetId(attr);
      if (id == TidyAttr_ID || id == TidyAttr_NAME) {
        carriers.push_back(node);
        recorded[node] = nullptr;
        return;
      }
    }
  });
  if (carriers.empty()) return;
  for (const Anchors& anchors : before_) {
    if (const Anchors** slot = recorded.Find(anchors.element)) *slot = &anchors;
  }
  std::vector<TidyAttr> added;
  for (TidyNode node : carriers) {
    const Anchors* anchors = *recorded.Find(node);
    // Elements that clean-and-repair made are left alone.
    if (anchors == nullptr || anchors->line != tidyNodeLine(node) ||
        anchors->column != tidyNodeColumn(node)) {
      continue;
    }
    added.clear();
    for (TidyAttr attr = tidyAttrFirst(node); attr != nullptr; attr = tidyAttrNext(attr)) {
      const TidyAttrId id = tidyAttrGetId(attr);
      if ((id == TidyAttr_ID && !anchors->had_id) || (id == TidyAttr_NAME && !anchors->had_name)) {
        added.push_back(attr);
      }
    }
    for (TidyAttr attr : added) tidyAttrDiscard(doc, node, attr);
  }
}

bool AnchorFixingUndo::KeepReport(TidyMessage message) {
  return tidyGetMessageCode(message) != ID_NAME_MISMATCH;
}

}  // namespace kpx
