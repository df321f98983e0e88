// "kps-preserve-case": element names keep the case they were written in.
#pragma once

#include <tidy/tidy.h>

#include <string_view>

#include "cleaner/output_tag_edits.h"
#include "cleaner/source_position_map.h"

namespace kpx {

// libtidy folds every tag name to lower case while reading and has no option against it. The
// written name is still in the source text at the position libtidy reports for each element, so
// after the run each element whose start tag stands there, spelled with other letter cases, gets
// its start and end tag renamed in the output. Elements that libtidy inferred have no tag of
// their own there and keep the lower-case name. Callers hold the tidy lock.
void PlanWrittenNames(TidyNode root, std::u16string_view source, const SourcePositionMap& positions,
                      TagEditPlan* plan);

// The element's start tag as written at its reported source position, as "<" and the name; empty
// when the source holds no start tag of that name there.
std::u16string_view WrittenStartTag(TidyNode element, std::u16string_view source,
                                    const SourcePositionMap& positions);

}  // namespace kpx
