// A tag's attributes in source order: the attribute record and the list with its look-ups,
// edits and serialization.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string_view>
#include <utility>

#include "markup/markup_string.h"

namespace kpx {

// How a value was quoted in the text.
enum class QuoteKind : std::uint8_t { kNone = 0, kApostrophe = 1, kDouble = 2 };

struct AttributeRecord {
  MarkupString name;                // keeps the case flag of the name it was made from
  MarkupString value;               // unquoted; escaped when the tag parser repaired it
  std::size_t name_position = 0;    // offset of the name's first character; 0 when made by code
  std::size_t value_position = 0;   // offset of the value text; at the opening quote if quoted
  std::size_t equals_position = 0;  // offset of "="; 0 when there was none
  QuoteKind quote_kind = QuoteKind::kNone;
  bool from_source = false;  // read from the text (false: added by code)
};

// Attributes in insertion order (source order for parsed tags). Names are not unique by
// construction; look-ups are linear and return the first match. A name matches when it has the
// same length and compares equal with the case rule of MarkupString: case-sensitive only when
// both the stored name and the key carry the case flag. A key given as a plain string view
// counts as lacking the flag, so it always matches without regard to ASCII case, and names made
// from a plain view are stored without the flag.
// Records live in list nodes: pointers to them stay valid until that record is removed. A list
// keeps the nodes of the records it removes, behind its records, and fills them again when
// records are added, so a list that is cleared and refilled tag after tag (as the scanner's is)
// allocates nothing once it has held its largest tag; copies and moves take only the records.
// end() is the first kept node: an iterator taken as end() before records are added points at
// the first of them afterwards.
class AttributeList {
 public:
  using iterator = std::list<AttributeRecord>::iterator;
  using const_iterator = std::list<AttributeRecord>::const_iterator;

  AttributeList() = default;
  AttributeList(const AttributeList& other)
      : nodes_(other.begin(), other.end()), size_(other.size_) {}
  AttributeList(AttributeList&& other) noexcept { TakeFrom(other); }
  AttributeList& operator=(const AttributeList& other);
  AttributeList& operator=(AttributeList&& other) noexcept {
    if (this != &other) {
      nodes_.clear();
      TakeFrom(other);
    }
    return *this;
  }

  std::size_t Size() const noexcept { return size_; }
  bool IsEmpty() const noexcept { return size_ == 0; }
  iterator begin() noexcept { return nodes_.begin(); }
  iterator end() noexcept { return kept_; }
  const_iterator begin() const noexcept { return nodes_.begin(); }
  const_iterator end() const noexcept { return kept_; }
  void Clear() noexcept {
    kept_ = nodes_.begin();
    size_ = 0;
  }

  // The first attribute of that name, or null.
  AttributeRecord* Find(const MarkupString& name) noexcept;
  const AttributeRecord* Find(const MarkupString& name) const noexcept;
  AttributeRecord* Find(std::u16string_view name) noexcept;
  const AttributeRecord* Find(std::u16string_view name) const noexcept;

  // When no attribute of that name exists, appends one with that name and value (positions 0,
  // no quotes, not from source) and returns it; otherwise returns null and changes nothing.
  AttributeRecord* Add(const MarkupString& name, std::u16string_view value);
  AttributeRecord* Add(std::u16string_view name, std::u16string_view value);

  // Appends the record as it is, without looking for a duplicate (the tag parser checks first).
  AttributeRecord& Append(AttributeRecord record);
  // Appends a record with every field at its default (as AttributeRecord{}) and returns it, to
  // be filled in place; no duplicate check either.
  AttributeRecord& AppendDefault();

  // Unlinks and frees the first attribute of that name; false when there was none.
  bool Remove(const MarkupString& name);
  bool Remove(std::u16string_view name);
  // Removes the record at it and returns the next position.
  iterator Erase(const_iterator it);

  // The value of the named attribute, adding it first with an empty value when it is missing.
  MarkupString& ValueOf(const MarkupString& name);
  MarkupString& ValueOf(std::u16string_view name);

  // Appends a full copy (every field) of each attribute of other whose name is missing here.
  void Merge(const AttributeList& other);

  // Only ASCII letters change.
  void LowerCaseNames() noexcept;
  void UpperCaseNames() noexcept;

  // For each attribute whose name starts with "xmlns" (with the name's own case flag): a name
  // that is exactly "xmlns" becomes "kpsxmlns"; a longer name with ":" as its sixth character
  // and at least one character after it stays, and a copy of the attribute whose name has that
  // ":" replaced by "-" is appended, marked not from source (so xmlns:x gains a twin xmlns-x).
  void SplitNamespaceAttributes();

  // The attributes in order, each as " name=" quote escaped-value quote. With keep_quotes each
  // attribute keeps its own quote kind (a kNone attribute is written bare); otherwise every
  // value is in double quotes. Values are escaped as EscapeAttributeValue does (the process-wide
  // double-escape switch applies), without recording edits.
  MarkupString Serialize(bool keep_quotes) const;

 private:
  // A node at the end of the records: the first kept one, or a new one.
  AttributeRecord& NextNode() {
    ++size_;
    if (kept_ == nodes_.end()) return nodes_.emplace_back();
    return *kept_++;
  }
  // The records (and none of the kept nodes) of other; other is left empty.
  void TakeFrom(AttributeList& other) noexcept {
    const bool all_records = other.kept_ == other.nodes_.end();
    nodes_.splice(nodes_.end(), other.nodes_);  // iterators into it stay valid
    kept_ = all_records ? nodes_.end() : other.kept_;
    size_ = other.size_;
    nodes_.erase(kept_, nodes_.end());
    kept_ = nodes_.end();
    other.kept_ = other.nodes_.end();
    other.size_ = 0;
  }

  // The records, then the nodes kept for reuse from kept_ on.
  std::list<AttributeRecord> nodes_;
  iterator kept_ = nodes_.end();
  std::size_t size_ = 0;
};

}  // namespace kpx
