// TagRecord: one start or end tag as the tag parser read it.
#pragma once

#include <cstddef>
#include <vector>

#include "markup/attribute_list.h"
#include "markup/markup_string.h"

namespace kpx {

// Text inside a tag that is not an attribute.
struct JunkRange {
  std::size_t start = 0;   // offset in the scanned text
  std::size_t length = 0;  // in characters
  friend bool operator==(const JunkRange&, const JunkRange&) = default;
};

// The tag start of a record that holds no tag.
inline constexpr std::size_t kNoTagStart = static_cast<std::size_t>(-1);

// A setting that belongs to whoever holds an object, not to its value: a copy or a move starts
// clear and an assignment keeps the target's own, so the holder's defaulted copy and move members
// leave it alone.
class HolderSetting {
 public:
  HolderSetting() = default;
  HolderSetting(const HolderSetting&) noexcept {}
  HolderSetting& operator=(const HolderSetting&) noexcept { return *this; }
  HolderSetting& operator=(bool value) noexcept {
    value_ = value;
    return *this;
  }
  operator bool() const noexcept { return value_; }

 private:
  bool value_ = false;
};

// Filled by the tag parser. Copies (and moves) take everything but keep_quotes: that one belongs to
// the holder (it says how the holder wants attributes written), so a copy-constructed record starts
// with it clear and an assigned one keeps its own.
class TagRecord {
 public:
  TagRecord() { name.SetCaseSensitive(false); }
  TagRecord(const TagRecord&) = default;
  TagRecord& operator=(const TagRecord&) = default;
  TagRecord(TagRecord&&) noexcept = default;
  TagRecord& operator=(TagRecord&&) noexcept = default;

  // Empties attributes, junk ranges and name; clears end_tag and self_closing; tag_start becomes
  // kNoTagStart and needs_rewrite true. keep_quotes and name_position stay.
  void Reset() {
    attributes.Clear();
    junk_ranges.clear();
    name.Clear();
    name.SetCaseSensitive(false);
    end_tag = false;
    self_closing = false;
    tag_start = kNoTagStart;
    needs_rewrite = true;
  }

  // The attributes written as AttributeList::Serialize does, with this record's keep_quotes.
  MarkupString SerializeAttributes() const { return attributes.Serialize(keep_quotes); }

  AttributeList attributes;
  std::vector<JunkRange> junk_ranges;   // in the order found
  MarkupString name;                    // without the case flag: compares ignoring ASCII case
  HolderSetting keep_quotes;            // serialization keeps each attribute's quote kind
  bool end_tag = false;                 // began with "</"
  bool needs_rewrite = true;            // duplicates found or tag not closed (true after Reset)
  bool self_closing = false;            // ended with "/>"
  std::size_t tag_start = kNoTagStart;  // offset of "<"
  std::size_t name_position = 0;        // offset of the tag name
};

}  // namespace kpx
