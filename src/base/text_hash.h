// A hash for the short texts that parsing looks up again and again (tag names, placeholder names,
// rule keys): eight bytes at a time, a multiply and a shift per step, which for names of a few
// characters costs a fraction of the general-purpose byte hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kpx {

inline size_t HashText(std::u16string_view text) noexcept {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  uint64_t hash = text.size() * kMultiplier;
  const char16_t* at = text.data();
  size_t left = text.size();
  while (left >= 4) {
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
    at += 4;
    left -= 4;
  }
  if (left > 0) {
    // Assembled from its characters: a copy of a variable length would stall the load after it.
    uint64_t word = at[0];
    if (left > 1) word |= uint64_t{at[1]} << 16;
    if (left > 2) word |= uint64_t{at[2]} << 32;
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  }
  return static_cast<size_t>(hash * kMultiplier) ^ static_cast<size_t>(hash >> 32);
}

// For unordered containers keyed by std::u16string and looked up by view, without a copy.
struct TextHash {
  using is_transparent = void;
  size_t operator()(std::u16string_view text) const noexcept { return HashText(text); }
};

}  // namespace kpx
