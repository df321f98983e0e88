// The edits of a TextEditList: one edit as callers read it (TextEdit), as the list keeps it
// (PackedEdit), and the view that reads the kept ones back (RecordedEdits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string_view>

#include "markup/markup_string.h"

namespace kpx {

enum class EditKind : std::uint8_t { kInsert = 0, kDelete = 1, kMove = 2, kLowerCase = 3 };

// One pending edit. Positions are offsets into the text as it was before any edit.
struct TextEdit {
  EditKind kind = EditKind::kInsert;
  bool after = false;           // insert, move: stays behind text inserted earlier at the spot
  std::size_t position = 0;     // where the edit applies (a move's source)
  std::size_t count = 0;        // characters deleted, moved or lower-cased (0 for an insert)
  std::size_t destination = 0;  // move only: where the moved characters go
  std::uint64_t sequence = 0;   // taken from the list's counter, which only grows
  MarkupString text;            // insert only
};

// A recorded edit as the list keeps it: 32 bytes, the text of an insert held in the list's
// shared pool. Pages may carry a million edits, so the record stays small.
struct PackedEdit {
  std::size_t position = 0;
  std::size_t count = 0;  // insert: the length of its text
  std::size_t extra = 0;  // insert: where its text starts in the pool; move: the destination
  std::uint64_t tag = 0;  // sequence << 3 | after << 2 | kind

  EditKind Kind() const noexcept { return static_cast<EditKind>(tag & 3); }
  bool After() const noexcept { return (tag & 4) != 0; }
  std::uint64_t Sequence() const noexcept { return tag >> 3; }
  // Characters of the original text the edit covers (none for an insert).
  std::size_t Span() const noexcept { return Kind() == EditKind::kInsert ? 0 : count; }
};

// A read-only view of a list's edits in recording order; each one reads back as a TextEdit.
// Valid until the list changes.
class RecordedEdits {
 public:
  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = TextEdit;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = TextEdit;

    Iterator() = default;
    Iterator(const PackedEdit* record, std::u16string_view pool) : record_(record), pool_(pool) {}
    TextEdit operator*() const { return RecordedEdits::Unpack(*record_, pool_); }
    Iterator& operator++() noexcept {
      ++record_;
      return *this;
    }
    Iterator operator++(int) noexcept {
      Iterator before = *this;
      ++record_;
      return before;
    }
    bool operator==(const Iterator& other) const noexcept { return record_ == other.record_; }

   private:
    const PackedEdit* record_ = nullptr;
    std::u16string_view pool_;
  };

  RecordedEdits(std::span<const PackedEdit> records, std::u16string_view pool) noexcept
      : records_(records), pool_(pool) {}

  std::size_t size() const noexcept { return records_.size(); }
  bool empty() const noexcept { return records_.empty(); }
  // Copies the edit out (an insert's text included).
  TextEdit operator[](std::size_t i) const { return Unpack(records_[i], pool_); }
  Iterator begin() const noexcept { return {records_.data(), pool_}; }
  Iterator end() const noexcept { return {records_.data() + records_.size(), pool_}; }

  std::span<const PackedEdit> Records() const noexcept { return records_; }
  // The text of an insert record.
  std::u16string_view TextOf(const PackedEdit& record) const noexcept {
    return pool_.substr(record.extra, record.count);
  }

  static TextEdit Unpack(const PackedEdit& record, std::u16string_view pool);

 private:
  std::span<const PackedEdit> records_;
  std::u16string_view pool_;
};

}  // namespace kpx
