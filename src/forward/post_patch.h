// The passes after the cleaner: the empty-span cleanup, the post-patch pass that undoes the
// pre-patch protections, and the removal of the document parts the cleaner added.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kpx {

// Removes each empty-span marker attribute (in any letter case) and an "&nbsp;" that directly
// follows the end of its tag.
std::u16string CleanUpEmptySpans(std::u16string_view text);
// The same on text where it stands (the pipeline's own copy).
void CleanUpEmptySpansInPlace(std::u16string& text);

// Undoes the pre-patch protections: protection comments unwrapped, kpstagcontent="..." turned
// back into the expressions it carries, kpsemptyspan removed from span start tags (with an
// "&nbsp;" right after the tag), kpsxmlns named xmlns again.
std::u16string PostPatch(std::u16string_view text);
void PostPatchInPlace(std::u16string& text);

// Leaves out what the cleaner added to a template that lacked it, by the pre-patch result bits:
// the html start and end tags (0x4000), the head start and end tags (0x2000), the whole title
// element (0x1000) and the body start and end tags (0x8000), each with one line break (LF or
// CR LF) directly after it.
std::u16string DropAddedDocumentParts(std::u16string text, uint32_t result_bits);

}  // namespace kpx
