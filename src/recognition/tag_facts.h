// What a parse needs to know of a tag name, worked out once per name as written: a page repeats
// a few dozen names thousands of times, and each tag then costs one look-up instead of a lower-case
// copy, element-table searches and name comparisons.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string_view>
#include <utility>

#include "base/text_ids.h"

namespace kpx {

template <typename Facts>
class TagFactsTable {
 public:
  // The facts of a name as written, made by make(written) the first time the name is met. The
  // reference stays good for the life of the table.
  template <typename Make>
  const Facts& Of(std::u16string_view written, Make&& make) {
    // Most names are a few ASCII letters: packed into a number, they are found in a small memo
    // without hashing or comparing text.
    const uint64_t packed = Packed(written);
    Memo& memo = memo_[(packed * 0x9E3779B97F4A7C15ull) >> (64 - kMemoBits)];
    if (packed != 0 && memo.packed == packed) [[likely]]
      return *memo.facts;
    return Add(written, packed, memo, make);
  }

 private:
  struct Memo {
    uint64_t packed = 0;
    const Facts* facts = nullptr;
  };

  // Kept out of line: the look-up above runs for every tag and stays small.
  template <typename Make>
  [[gnu::noinline]] const Facts& Add(std::u16string_view written, uint64_t packed, Memo& memo,
                                     Make& make) {
    bool added = false;
    const uint32_t id = names_.Add(written, &added);
    if (added) facts_.push_back(make(written));
    const Facts& facts = facts_[id];
    if (packed != 0) memo = {packed, &facts};
    return facts;
  }

  // Six bits a character for up to ten ASCII letters and digits (no code is 0, so different
  // names never pack alike), or 0 for a name that does not pack.
  static uint64_t Packed(std::u16string_view name) {
    if (name.empty() || name.size() > 10) return 0;
    uint64_t packed = 0;
    for (const char16_t c : name) {
      const uint64_t code = c < 128 ? kCodes[c] : 0;
      if (code == 0) return 0;
      packed = packed << 6 | code;
    }
    return packed;
  }
  static constexpr std::array<uint8_t, 128> kCodes = [] {
    std::array<uint8_t, 128> codes{};
    for (int c = 0; c < 10; ++c) codes['0' + c] = static_cast<uint8_t>(1 + c);
    for (int c = 0; c < 26; ++c) codes['A' + c] = static_cast<uint8_t>(11 + c);
    for (int c = 0; c < 26; ++c) codes['a' + c] = static_cast<uint8_t>(37 + c);
    return codes;
  }();

  static constexpr unsigned kMemoBits = 8;
  std::array<Memo, size_t{1} << kMemoBits> memo_{};
  TextIds names_;
  std::deque<Facts> facts_;  // by names_; a deque keeps each where it is as it grows
};

}  // namespace kpx
