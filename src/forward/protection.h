// The protection comment that hides a stretch of template text from the HTML cleaner, and its
// undoing. Protecting and then restoring gives back every stretch exactly.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kpx {

inline constexpr std::u16string_view kProtectionOpener = u"<!-- __x2x__ ";
inline constexpr std::u16string_view kProtectionCloser = u" __ -->";

// True when text holds nothing but spaces, tabs, CRs and LFs (or nothing).
bool OnlyBlanks(std::u16string_view text);

// Appends stretch to out inside protection comments. A comment that lies inside the stretch is
// not nested: the protection closes before it and opens again after it, and the comment stays as
// it was; a piece of white space alone stays unprotected. Inside the comments every hyphen of a
// run of two or more becomes "&xhyp;", and an "&" that starts "&xhyp;" or "&xamp;" becomes
// "&xamp;", so that the comment stays well-formed and restoring is exact.
void AppendProtected(std::u16string& out, std::u16string_view stretch);

// Appends the content of a protection comment (between opener and closer) as it was before it
// was protected: "&xhyp;" is read as "-" and "&xamp;" as "&", left to right.
void AppendRestored(std::u16string& out, std::u16string_view content);

// The same written to out, which may be content's own buffer at or before content's start (the
// restored text is never longer). Returns how many characters it wrote.
size_t WriteRestored(char16_t* out, std::u16string_view content);

}  // namespace kpx
