// Numbers for texts: the first text added is 0, the next new one 1, and so on. A parse looks up
// the same few names (tags, placeholders) at every construct, so the table is open-addressed
// with the hash kept beside each number: a look-up hashes once and compares text only on a
// matching hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text_hash.h"

namespace kpx {

class TextIds {
 public:
  static constexpr uint32_t kAbsent = UINT32_MAX;

  // The number of text, or kAbsent.
  uint32_t Find(std::u16string_view text) const {
    if (slots_.empty()) return kAbsent;
    const Key key(text);
    for (size_t at = key.hash & mask_;; at = (at + 1) & mask_) {
      const Slot& slot = slots_[at];
      if (slot.id == kAbsent) return kAbsent;
      if (Matches(slot, key, text)) return slot.id;
    }
  }

  // The number of text, which is added when it is new; added tells which.
  uint32_t Add(std::u16string_view text, bool* added = nullptr) {
    if (2 * (texts_.size() + 1) > slots_.size()) Grow();
    const Key key(text);
    size_t at = key.hash & mask_;
    for (;; at = (at + 1) & mask_) {
      const Slot& slot = slots_[at];
      if (slot.id == kAbsent) break;
      if (Matches(slot, key, text)) {
        if (added) *added = false;
        return slot.id;
      }
    }
    const auto id = static_cast<uint32_t>(texts_.size());
    texts_.emplace_back(text);
    slots_[at] = {key.hash, key.head, id, static_cast<uint32_t>(text.size())};
    if (added) *added = true;
    return id;
  }

  const std::u16string& Text(uint32_t id) const { return texts_[id]; }
  size_t Size() const { return texts_.size(); }

 private:
  // A slot keeps the text's first four characters, so that a short name is told apart or found
  // without a look at the text itself.
  static constexpr size_t kHeadChars = 4;
  struct Key {
    explicit Key(std::u16string_view text) {
      const size_t n = text.size() < kHeadChars ? text.size() : kHeadChars;
      for (size_t i = 0; i < n; ++i) head |= uint64_t{text[i]} << (16 * i);
      if (text.size() > kHeadChars) {
        hash = HashText(text);
      } else {
        // The head is the whole text: one multiply spreads it.
        const uint64_t mixed = (head + text.size()) * 0x9E3779B97F4A7C15ull;
        hash = static_cast<size_t>(mixed ^ (mixed >> 32));
      }
    }
    size_t hash = 0;
    uint64_t head = 0;
  };
  struct Slot {
    size_t hash = 0;
    uint64_t head = 0;
    uint32_t id = kAbsent;
    uint32_t size = 0;
  };

  bool Matches(const Slot& slot, const Key& key, std::u16string_view text) const {
    if (slot.hash != key.hash || slot.head != key.head || slot.size != text.size()) return false;
    return text.size() <= kHeadChars || texts_[slot.id] == text;
  }

  void Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : 2 * old.size(), Slot());
    mask_ = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.id == kAbsent) continue;
      size_t at = slot.hash & mask_;
      while (slots_[at].id != kAbsent) at = (at + 1) & mask_;
      slots_[at] = slot;
    }
  }

  std::vector<std::u16string> texts_;
  std::vector<Slot> slots_;  // a power of two in size, at most half full
  size_t mask_ = 0;
};

}  // namespace kpx
