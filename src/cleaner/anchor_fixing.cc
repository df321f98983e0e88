#include "cleaner/anchor_fixing.h"

#include <tidy/tidyenum.h>

#include <vector>

#include "cleaner/tidy_tree.h"

namespace kpx {

void AnchorFixingUndo::Record(TidyNode root) {
  before_.clear();
  ForEachNode(root, [&](TidyNode node) {
    if (!IsElement(node)) return;
    Anchors anchors{tidyNodeLine(node), tidyNodeColumn(node), false, false};
    for (TidyAttr attr = tidyAttrFirst(node); attr != nullptr; attr = tidyAttrNext(attr)) {
      const TidyAttrId id = tidyAttrGetId(attr);
      anchors.had_id |= id == TidyAttr_ID;
      anchors.had_name |= id == TidyAttr_NAME;
    }
    before_[node] = anchors;
  });
}

void AnchorFixingUndo::Undo(TidyDoc doc, TidyNode root) const {
  std::vector<TidyAttr> added;
  ForEachNode(root, [&](TidyNode node) {
    if (!IsElement(node)) return;
    const auto found = before_.find(node);
    if (found == before_.end()) return;
    const Anchors& anchors = found->second;
    if (anchors.line != tidyNodeLine(node) || anchors.column != tidyNodeColumn(node)) return;
    added.clear();
    for (TidyAttr attr = tidyAttrFirst(node); attr != nullptr; attr = tidyAttrNext(attr)) {
      const TidyAttrId id = tidyAttrGetId(attr);
      if ((id == TidyAttr_ID && !anchors.had_id) || (id == TidyAttr_NAME && !anchors.had_name)) {
        added.push_back(attr);
      }
    }
    for (TidyAttr attr : added) tidyAttrDiscard(doc, node, attr);
  });
}

bool AnchorFixingUndo::KeepReport(TidyMessage message) {
  return tidyGetMessageCode(message) != ID_NAME_MISMATCH;
}

}  // namespace kpx
