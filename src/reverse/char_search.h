// Searching a UTF-16 text for one code unit eight units at a time, where the std::char_traits
// search for char16_t goes unit by unit.
#pragma once

#include <cstddef>

namespace kpx {

// The first offset in [from, to) of data whose unit is c, or to.
std::size_t FindUnit(const char16_t* data, std::size_t from, std::size_t to, char16_t c) noexcept;

}  // namespace kpx
