// Profile selection: the converter profile named in the host's settings, or recognition without
// one, and the recognized tree that results. The tree reads the template where the caller keeps it:
// the text must outlive the tree and be followed by a 0 (a system string's text, a string's, or a
// tail of one).
#pragma once

#include <memory>
#include <string_view>

#include "forward/conversion_engine.h"
#include "recognition/parse_context.h"

namespace kpx {

struct Recognition {
  std::unique_ptr<ParseContext> tree;  // null: no tree (the page has no model)
};

// Selects the profile for mode ("design", "generation" or "sync") and recognizes text with it, or
// with the built-in parse when none is configured or the configured one does not load. Fills the
// report's parse errors (the converter's error text is replaced after it).
Recognition SelectProfileAndRecognize(ConverterContext& context, IDispatch* page,
                                      std::u16string_view text, std::u16string_view mode,
                                      uint32_t flags, StageReport& report);

// Recognition with a profile document in mode `mode`: no tree when the page or the profile is
// missing, the page has no model, or the loader rejects the document (its findings delivered).
std::unique_ptr<ParseContext> RecognizeWithProfile(ConverterContext& context, IDispatch* page,
                                                   std::u16string_view text, IUnknown* profile,
                                                   std::u16string_view mode, uint32_t flags);

// Recognition without a profile: the built-in parse with the page's model, or no tree when the
// page has none.
std::unique_ptr<ParseContext> RecognizeBuiltIn(ConverterContext& context, IDispatch* page,
                                               std::u16string_view text, uint32_t flags);

}  // namespace kpx
