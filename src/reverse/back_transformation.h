// The back transformation of an edited template: the pre-processing and the page XML writer over
// one scan of the template. The writer rides along with the pre-processing and writes the page
// XML of the text as the pre-processing leaves it, taking each tag as the pre-processing changed
// it. When the pre-processing does what a writer that has passed a place cannot follow (moves a
// tag, erases one it passed earlier, cuts tags to move them behind <body>, hands an extent to the
// host formatter), the pre-processing's edits are applied once at the end and the writer reads
// the result on its own.
#pragma once

#include <string_view>

#include "kpx/host.h"
#include "markup/text_edit_list.h"
#include "reverse/page_xml_writer.h"
#include "reverse/template_preprocessor.h"

namespace kpx {

// How the passes read the template: in one scan where they can (the writer riding along), or
// always one after the other, as when the writer cannot follow (for tests that compare the two).
enum class BackScan : unsigned char { kOne, kTwo };

// The page XML of text (followed by a 0: a system string's text) for page, handed to sink.
// E_INVALIDARG when the template holds a span but no kpsServiceable attribute anywhere; the
// failure status of the host formatter's creation or initialisation; otherwise S_OK, with the
// process-wide quote double-escaping switch set from the page's "publishTemplate" setting. list
// lends its memory and keeps it for the next call.
HRESULT BackTransformTemplate(TextEditList& list, IUnknown* page, std::u16string_view text,
                              const PreprocessOptions& options, const PageXmlSink& sink,
                              BackScan scan = BackScan::kOne);

}  // namespace kpx
