// Searches over a UTF-16 text many code units at a time (16 with AVX2, else 8), where a loop
// over std::char_traits<char16_t> goes unit by unit.
#pragma once

#include <cstddef>

namespace kpx {

// The first offset in [from, to) of data whose unit is c, or to.
std::size_t FindUnit(const char16_t* data, std::size_t from, std::size_t to, char16_t c) noexcept;

// The first offset in [from, to) of data whose unit is "]" or one that XML text cannot hold as
// it is (NeedsXmlCheck in cdata_text.h), or to.
std::size_t FindCDataNotable(const char16_t* data, std::size_t from, std::size_t to) noexcept;

}  // namespace kpx
