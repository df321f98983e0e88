// A map from 64-bit numbers to small values, open-addressed with linear probing, for caches that
// a parse consults at every construct: one multiply and usually one slot per look-up, no node per
// entry. The key UINT64_MAX is reserved (it marks free slots).
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kpx {

template <typename Value>
class NumberMap {
 public:
  // The entry of key, made with a default value when it is new; second tells whether it was.
  // The reference is good until the next call.
  std::pair<Value&, bool> Emplace(uint64_t key) {
    if (2 * (size_ + 1) > slots_.size()) Grow();
    size_t at = Index(key);
    while (slots_[at].key != kFree) {
      if (slots_[at].key == key) return {slots_[at].value, false};
      at = (at + 1) & mask_;
    }
    slots_[at].key = key;
    slots_[at].value = Value();
    ++size_;
    return {slots_[at].value, true};
  }

  size_t Size() const { return size_; }

 private:
  static constexpr uint64_t kFree = UINT64_MAX;
  struct Slot {
    uint64_t key = kFree;
    Value value{};
  };

  size_t Index(uint64_t key) const {
    const uint64_t mixed = key * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(mixed >> shift_) & mask_;
  }

  void Grow() {
    std::vector<Slot> old = std::move(slots_);
    const size_t size = old.empty() ? 64 : 2 * old.size();
    slots_.assign(size, Slot());
    mask_ = size - 1;
    shift_ = 64;
    for (size_t s = size; s > 1; s >>= 1) --shift_;  // the top bits of the product index
    for (Slot& slot : old) {
      if (slot.key == kFree) continue;
      size_t at = Index(slot.key);
      while (slots_[at].key != kFree) at = (at + 1) & mask_;
      slots_[at] = std::move(slot);
    }
  }

  std::vector<Slot> slots_;  // a power of two in size, at most half full
  size_t size_ = 0;
  size_t mask_ = 0;
  unsigned shift_ = 64;
};

}  // namespace kpx
