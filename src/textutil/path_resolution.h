// resolvePaths: makes the relative resource paths of a page start from a given folder.
#pragma once

#include <string>
#include <string_view>

namespace kpx {

// Puts path (with a "/" added unless it ends in "/" or "\") at the start of the value of every
// src, href and lowsrc attribute (names written in lower case) of every tag, start or end, unless
// the value is empty or is not relative: it starts with "/" or "\", has ":" as its second
// character and more than two characters, contains "://", or starts with "javascript:" (any
// case). Attributes written without a value are left alone. An empty path returns html as it
// is. Nothing else changes; the page is read without recording repairs. Throws std::bad_alloc
// when memory runs out.
std::u16string ResolvePaths(std::u16string_view html, std::u16string_view path);

// Whether a value is a path that ResolvePaths prefixes.
bool IsRelativeResourcePath(std::u16string_view value);

}  // namespace kpx
