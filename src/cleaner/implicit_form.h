// "kps-omit-implicit-form": an input in the body is not wrapped in a form that was not written.
#pragma once

#include <tidy/tidy.h>

#include <cstdint>
#include <string_view>
#include <unordered_set>

#include "cleaner/output_tag_edits.h"
#include "cleaner/source_position_map.h"

namespace kpx {

// Without a DOCTYPE libtidy reads the page as HTML 4 and wraps an input that stands directly in
// the body in an inferred form, reporting "inserting implicit <form>" at the input's position
// (which the form also takes). No option turns this off. So the reports about such a form are
// held back and their positions kept; after the run every form element at one of those positions
// whose source text holds no "<form" tag there loses its start and end tag in the output, and
// its content stays in place. Callers hold the tidy lock.
class ImplicitFormRemoval {
 public:
  // Decides for one report whether it reaches the messages: false for the insertion of a form
  // and for the later reports that name that form (its missing end tag).
  bool KeepReport(TidyMessage message);

  // True when the run inferred a form (so that PlanUnwrap has something to look for).
  bool InferredAny() const { return !inferred_at_.empty(); }

  // Marks the inferred forms below root for unwrapping.
  void PlanUnwrap(TidyNode root, std::u16string_view source, const SourcePositionMap& positions,
                  TagEditPlan* plan) const;

 private:
  bool InferredAt(uint32_t line, uint32_t column) const;

  std::unordered_set<uint64_t> inferred_at_;  // line << 32 | column of each insertion
};

}  // namespace kpx
