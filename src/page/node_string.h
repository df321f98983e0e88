// NodeString: the text of a page node's name, own text or attribute, in 16 bytes. A tree holds
// many of them and most are short ("Text", "Block", "id", "name") or pieces of the template, so
// up to seven characters are kept inline, a longer text is owned on the heap, and a text that
// outlives the tree (the template's own text, a literal) can be borrowed instead of copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kpx {

class NodeString {
 public:
  NodeString() noexcept = default;
  NodeString(std::u16string_view text) { assign(text); }  // NOLINT: used as a string
  NodeString(const NodeString& other) { assign(other.view()); }
  NodeString(NodeString&& other) noexcept;
  NodeString& operator=(const NodeString& other);
  NodeString& operator=(NodeString&& other) noexcept;
  NodeString& operator=(std::u16string_view text) {
    assign(text);
    return *this;
  }
  ~NodeString() { Release(); }

  // A copy of text.
  void assign(std::u16string_view text);
  // text itself, which must stay unchanged for as long as this string may be read (a slice of
  // the template a tree was made from, or a literal).
  void borrow(std::u16string_view text);
  void clear() noexcept {
    Release();
    SetInline(0);
  }

  std::u16string_view view() const noexcept {
    if (Mode() == kHeldInline) return {InlineChars(), bytes_[kSizeByte]};
    return {Pointer(), Size32()};
  }
  operator std::u16string_view() const noexcept { return view(); }    // NOLINT
  operator std::u16string() const { return std::u16string(view()); }  // NOLINT
  const char16_t* data() const noexcept { return view().data(); }
  size_t size() const noexcept { return view().size(); }
  bool empty() const noexcept { return size() == 0; }
  bool operator==(std::u16string_view other) const noexcept { return view() == other; }
  bool operator==(const NodeString& other) const noexcept { return view() == other.view(); }

 private:
  enum Mode : uint8_t { kHeldInline = 0, kHeldBorrowed = 1, kHeldOwned = 2 };
  static constexpr size_t kInlineCapacity = 7;
  static constexpr size_t kSizeByte = 14;
  static constexpr size_t kModeByte = 15;

  uint8_t Mode() const noexcept { return bytes_[kModeByte]; }
  const char16_t* InlineChars() const noexcept { return reinterpret_cast<const char16_t*>(bytes_); }
  const char16_t* Pointer() const noexcept;
  uint32_t Size32() const noexcept;
  void SetInline(size_t size) noexcept {
    bytes_[kSizeByte] = static_cast<uint8_t>(size);
    bytes_[kModeByte] = kHeldInline;
  }
  void SetPointer(const char16_t* data, size_t size, uint8_t mode) noexcept;
  void Release() noexcept;

  // Inline: the characters, their count at kSizeByte. Otherwise: a pointer and a 32-bit size.
  alignas(8) unsigned char bytes_[16] = {};
};

}  // namespace kpx
