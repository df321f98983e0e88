// The anchor-fixing switch: clean-and-repair adds no id from a name and no name from an id.
#pragma once

#include <tidy/tidy.h>

#include <cstdint>
#include <vector>

namespace kpx {

// libtidy's clean-and-repair always copies a lone name to id on a, img, form, map and iframe,
// copies an id to name on form, map and iframe, and reports an id that differs from the name;
// no option turns this off ("anchor-as-name" no would delete names instead). Clean-and-repair
// still runs for its other repairs: before it, each element's id and name are recorded; after
// it, an id or name that an element did not have before is discarded, and the mismatch report is
// held back. Callers hold the tidy lock.
class AnchorFixingUndo {
 public:
  // Records, before clean-and-repair, which elements carry id and name.
  void Record(TidyNode root);

  // Discards, after clean-and-repair, the id and name attributes the elements did not have.
  // Elements that clean-and-repair created are left as they are.
  void Undo(TidyDoc doc, TidyNode root) const;

  // False for the report that an element's id and name differ.
  static bool KeepReport(TidyMessage message);

 private:
  struct Anchors {
    TidyNode element;
    uint32_t line;    // the element's reported position, so that a node made anew at a freed
    uint32_t column;  // address is not taken for the one recorded
    bool had_id;
    bool had_name;
  };
  // Every element, in document order: written one after the other, and read back the same way
  // for the few elements that carry an id or a name after clean-and-repair.
  std::vector<Anchors> before_;
};

}  // namespace kpx
