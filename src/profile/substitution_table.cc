#include "profile/substitution_table.h"

#include <algorithm>

namespace kpx {

std::uint32_t SubstitutionTable::Hash(std::u16string_view key) noexcept {
  std::uint32_t h = 0;
  for (char16_t unit : key) h = HashStep(h, unit);
  return h;
}

void SubstitutionTable::Add(std::u16string_view key, std::u16string_view value) {
  if (key.empty()) return;
  if (by_length_.size() < key.size() + 1) by_length_.resize(key.size() + 1);
  std::unique_ptr<HashTable>& table = by_length_[key.size()];
  if (!table) table = std::make_unique<HashTable>();
  pairs_.push_back({std::u16string(key), std::u16string(value)});
  (*table)[Hash(key) % kBucketCount].push_back(static_cast<std::uint32_t>(pairs_.size() - 1));
  first_characters_.set(key.front());
}

const std::u16string* SubstitutionTable::Lookup(const HashTable& table, std::uint32_t hash,
                                                std::u16string_view key) const {
  for (std::uint32_t index : table[hash % kBucketCount]) {
    if (pairs_[index].key == key) return &pairs_[index].value;
  }
  return nullptr;
}

const std::u16string* SubstitutionTable::Find(std::u16string_view key) const {
  if (key.empty() || key.size() >= by_length_.size() || !by_length_[key.size()]) return nullptr;
  return Lookup(*by_length_[key.size()], Hash(key), key);
}

std::u16string SubstitutionTable::Apply(std::u16string_view text) const {
  if (pairs_.empty()) return std::u16string(text);
  std::u16string out;
  out.reserve(text.size());
  // prefix_hash[n]: the hash of the n code units at the current position. The hash is a left
  // fold, so every length costs one step.
  std::vector<std::uint32_t> prefix_hash(LongestKey() + 1);
  size_t p = 0;
  while (p < text.size()) {
    const std::u16string* value = nullptr;
    size_t length = std::min(LongestKey(), text.size() - p);
    if (first_characters_[text[p]]) {
      std::uint32_t h = 0;
      for (size_t n = 1; n <= length; ++n) prefix_hash[n] = h = HashStep(h, text[p + n - 1]);
      for (; length > 0; --length) {
        const std::unique_ptr<HashTable>& table = by_length_[length];
        if (table && (value = Lookup(*table, prefix_hash[length], text.substr(p, length)))) break;
      }
    }
    if (value) {
      out += *value;
      p += length;
    } else {
      out.push_back(text[p]);
      ++p;
    }
  }
  return out;
}

void SubstitutionTable::Clear() {
  pairs_.clear();
  by_length_.clear();
  first_characters_.reset();
}

}  // namespace kpx
