// The search of the page XML writer's CDATA check over a UTF-16 text, many code units at a time
// (16 with AVX2, else 8), where a loop over the units would go one by one. Searches for plain
// characters are base/char16_search.h's.
#pragma once

#include <cstddef>

#include "base/cpu_features.h"

namespace kpx {

// The first offset in [from, to) of data whose unit is "]" or one that XML text cannot hold as
// it is (NeedsXmlCheck in cdata_text.h), or to.
std::size_t FindCDataNotable(const char16_t* data, std::size_t from, std::size_t to) noexcept;
// The same with the vectors of a level that SimdLevelUsable (tests hold the levels against each
// other).
std::size_t FindCDataNotableWith(SimdLevel level, const char16_t* data, std::size_t from,
                                 std::size_t to) noexcept;

}  // namespace kpx
