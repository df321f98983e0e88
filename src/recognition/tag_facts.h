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
    if (packed != 0 && memo.packed == packed) return *memo.facts;
    bool added = false;
    const uint32_t id = names_.Add(written, &added);
    if (added) facts_.push_back(make(written));
    const Facts& facts = facts_[id];
    if (packed != 0) memo = {packed, &facts};
    return facts;
  }

 private:
  // Six bits a character for up to ten ASCII letters and digits (no code is 0, so different
  // names never pack alike), or 0 for a name that does not pack.
  static uint64_t Packed(std::u16string_view name) {
    if (name.empty() || name.size() > 10) return 0;
    uint64_t packed = 0;
    for (const char16_t c : name) {
      uint64_t code;
      if (c >= u'a' && c <= u'z') {
        code = 37 + (c - u'a');
      } else if (c >= u'A' && c <= u'Z') {
        code = 11 + (c - u'A');
      } else if (c >= u'0' && c <= u'9') {
        code = 1 + (c - u'0');
      } else {
        return 0;
      }
      packed = packed << 6 | code;
    }
    return packed;
  }

  static constexpr unsigned kMemoBits = 8;
  struct Memo {
    uint64_t packed = 0;
    const Facts* facts = nullptr;
  };
  std::array<Memo, size_t{1} << kMemoBits> memo_{};
  TextIds names_;
  std::deque<Facts> facts_;  // by names_; a deque keeps each where it is as it grows
};

}  // namespace kpx
