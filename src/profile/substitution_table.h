// SubstitutionTable: the character-sequence substitutions of a reverse converter profile, kept by
// key length in small hash tables, and their application to a text (longest key first).
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kpx {

class SubstitutionTable {
 public:
  static constexpr std::size_t kBucketCount = 61;

  struct Pair {
    std::u16string key;
    std::u16string value;
  };

  // The hash that picks a key's bucket: from 0, each code unit in order makes h (h + unit) * 33
  // and then h ^ (h >> 3), in 32-bit unsigned arithmetic. The bucket is the hash mod 61.
  static std::uint32_t Hash(std::u16string_view key) noexcept;
  static std::uint32_t HashStep(std::uint32_t h, char16_t unit) noexcept {
    h = (h + unit) * 33u;
    return h ^ (h >> 3);
  }

  // Stores the pair in the table of its key's length (an empty key is ignored). A key that is
  // already there is stored again, but look-ups keep finding the pair read first.
  void Add(std::u16string_view key, std::u16string_view value);
  // The value of the first pair stored with exactly this key (case-sensitive), or null.
  const std::u16string* Find(std::u16string_view key) const;
  // Walks the text once: where a key starts, the longest key found there is replaced by its
  // value; everything else is copied. A table without keys returns the text unchanged.
  std::u16string Apply(std::u16string_view text) const;

  bool IsEmpty() const noexcept { return pairs_.empty(); }
  // Every pair in the order it was added, duplicates of a key included.
  const std::vector<Pair>& pairs() const noexcept { return pairs_; }
  // The length of the longest key (0 for an empty table).
  std::size_t LongestKey() const noexcept { return by_length_.empty() ? 0 : by_length_.size() - 1; }
  bool IsFirstCharacter(char16_t unit) const noexcept { return first_characters_[unit]; }
  void Clear();

 private:
  using Bucket = std::vector<std::uint32_t>;  // indices into pairs_, in insertion order
  using HashTable = std::array<Bucket, kBucketCount>;

  const std::u16string* Lookup(const HashTable& table, std::uint32_t hash,
                               std::u16string_view key) const;

  std::vector<Pair> pairs_;
  // Slot n: the keys of n code units (null until one arrives); slot 0 stays empty.
  std::vector<std::unique_ptr<HashTable>> by_length_;
  std::bitset<65536> first_characters_;  // the first code unit of every key
};

}  // namespace kpx
