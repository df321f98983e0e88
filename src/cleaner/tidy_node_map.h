// A map from libtidy nodes to small records, for the passes that note something about many nodes
// of a page's tree and look it up again: open addressing in one table, so that a page's hundreds
// of thousands of elements cost no allocation each and a lookup one or two probes.
#pragma once

#include <tidy/tidy.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kpx {

template <class Value>
class TidyNodeMap {
 public:
  // The record of node, made (value-initialized) when there is none.
  Value& operator[](TidyNode node) {
    if (2 * (size_ + 1) > slots_.size()) Grow();
    Slot& slot = slots_[Probe(node)];
    if (slot.node == nullptr) {
      slot.node = node;
      ++size_;
    }
    return slot.value;
  }

  // The record of node, or nullptr.
  const Value* Find(TidyNode node) const {
    if (size_ == 0) return nullptr;
    const Slot& slot = slots_[Probe(node)];
    return slot.node == nullptr ? nullptr : &slot.value;
  }
  Value* Find(TidyNode node) {
    return const_cast<Value*>(static_cast<const TidyNodeMap&>(*this).Find(node));
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() {
    slots_.clear();
    size_ = 0;
  }

 private:
  struct Slot {
    TidyNode node = nullptr;
    Value value{};
  };

  // The slot that holds node, or the empty one where it would go. The table is never more than
  // half full, so the search ends.
  size_t Probe(TidyNode node) const {
    const size_t mask = slots_.size() - 1;
    // Nodes are malloc'ed, so their low bits are all alike; the multiplication spreads the rest.
    size_t i =
        static_cast<size_t>((reinterpret_cast<std::uintptr_t>(node) >> 4) * 0x9E3779B97F4A7C15u) &
        mask;
    while (slots_[i].node != nullptr && slots_[i].node != node) i = (i + 1) & mask;
    return i;
  }

  void Grow() {
    std::vector<Slot> old =
        std::exchange(slots_, std::vector<Slot>(std::max<size_t>(64, 2 * slots_.size())));
    for (Slot& slot : old) {
      if (slot.node != nullptr) slots_[Probe(slot.node)] = std::move(slot);
    }
  }

  std::vector<Slot> slots_;  // a power of two in size
  size_t size_ = 0;
};

}  // namespace kpx
