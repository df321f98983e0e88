// The conversion pipeline: balancing, pre-patch, the cleaner with its reports filtered, the
// empty-span cleanup, post-patch, the removal of the document parts the cleaner added, and the
// direct conversion.
#pragma once

#include "forward/conversion_engine.h"

namespace kpx {

// The text recognition receives for a template, and the flags it runs with: every stage before
// the direct conversion. text is followed by a 0, as every text handed to an engine is; it is
// read where it stands. E_INVALIDARG, E_FAIL (page without document), E_NOTIMPL (no tools wired
// in) or the cleaner's failure status.
HRESULT PrepareForRecognition(ConverterContext& context, IDispatch* page, std::u16string_view text,
                              uint32_t flags, std::u16string* prepared, uint32_t* prepared_flags);

// PrepareForRecognition, then the engine's direct conversion with those flags.
HRESULT RunConversionPipeline(ConversionEngine& engine, ConverterContext& context, IDispatch* page,
                              std::u16string_view text, uint32_t flags, StageReport& report,
                              std::u16string* xml);

}  // namespace kpx
