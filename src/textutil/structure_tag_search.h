// A quick look for where a head, body or frameset tag may start, without reading the markup:
// balancing uses it to tell that the rest of a page holds no such tag, so that the scanner need
// not read it.
#pragma once

#include <cstddef>
#include <string_view>

namespace kpx {

// The first "<" at or after from that "he", "bo" or "fr" follows, directly or after "/", in any
// ASCII letter case (html and frame tags come along, and such text inside comments, scripts and
// values); npos when there is none.
std::size_t FindStructureTagCandidate(std::u16string_view text, std::size_t from) noexcept;

}  // namespace kpx
