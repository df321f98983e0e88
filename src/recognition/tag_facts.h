// What a parse needs to know of a tag name, worked out once per name as written: a page repeats
// a few dozen names thousands of times, and each tag then costs one look-up instead of a lower-case
// copy, element-table searches and name comparisons.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
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
    // Most names are a few characters: read as two overlapping words, they are found in a small
    // memo without a loop, a hash of the text or a comparison of it.
    Key key;
    if (KeyOf(written, &key)) [[likely]] {
      const Memo& memo = memo_[Slot(key)];
      if (memo.key == key) [[likely]]
        return *memo.facts;
    }
    return Add(written, make);
  }

 private:
  // Up to eight characters: the first and the last four (or two, or the one), which overlap, so
  // that with the length they tell every name apart.
  struct Key {
    uint64_t head = 0;
    uint64_t tail = 0;
    uint64_t size = 0;  // 0: no key
    bool operator==(const Key&) const = default;
  };
  struct Memo {
    Key key;
    const Facts* facts = nullptr;
  };
  static constexpr size_t kMaxKeyed = 8;

  static bool KeyOf(std::u16string_view name, Key* key) {
    const size_t size = name.size();
    if (size == 0 || size > kMaxKeyed) return false;
    const char* bytes = reinterpret_cast<const char*>(name.data());
    if (size >= 4) {
      std::memcpy(&key->head, bytes, 8);
      std::memcpy(&key->tail, bytes + 2 * size - 8, 8);
    } else if (size >= 2) {
      uint32_t head, tail;
      std::memcpy(&head, bytes, 4);
      std::memcpy(&tail, bytes + 2 * size - 4, 4);
      key->head = head;
      key->tail = tail;
    } else {
      key->head = name[0];
    }
    key->size = size;
    return true;
  }
  static size_t Slot(const Key& key) {
    const uint64_t mixed =
        (key.head * 0x9E3779B97F4A7C15ull) ^ (key.tail * 0xC2B2AE3D27D4EB4Full) ^ key.size;
    return static_cast<size_t>((mixed * 0x9E3779B97F4A7C15ull) >> (64 - kMemoBits));
  }

  // Kept out of line: the look-up above runs for every tag and stays small.
  template <typename Make>
  [[gnu::noinline]] const Facts& Add(std::u16string_view written, Make& make) {
    bool added = false;
    const uint32_t id = names_.Add(written, &added);
    if (added) facts_.push_back(make(written));
    const Facts& facts = facts_[id];
    Key key;
    if (KeyOf(written, &key)) memo_[Slot(key)] = {key, &facts};
    return facts;
  }

  static constexpr unsigned kMemoBits = 8;
  std::array<Memo, size_t{1} << kMemoBits> memo_{};
  TextIds names_;
  std::deque<Facts> facts_;  // by names_; a deque keeps each where it is as it grows
};

}  // namespace kpx
