// MarkupString: the string type of the markup model. UTF-16 text with an explicit length (it may
// hold zero characters anywhere) and a case flag that decides how it compares with others.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace kpx {

class MarkupString {
 public:
  // Texts of up to this many characters are kept inside the object; longer ones on the heap.
  static constexpr std::size_t kInlineCapacity = 30;
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // Empty, case-sensitive.
  MarkupString() noexcept;
  // A zero-terminated text; a null pointer gives the empty string.
  explicit MarkupString(const char16_t* zero_terminated, bool case_sensitive = true);
  // Exactly the characters of text, zeros included (for characters and a length, pass
  // std::u16string_view(chars, length)).
  explicit MarkupString(std::u16string_view text, bool case_sensitive = true);
  MarkupString(const MarkupString& other);
  MarkupString(MarkupString&& other) noexcept;
  MarkupString& operator=(const MarkupString& other);
  MarkupString& operator=(MarkupString&& other) noexcept;
  ~MarkupString();

  // Replaces the characters; the case flag stays as it is. A text of kInlineCapacity characters
  // or fewer goes back into the object. chars may point into this string's own text.
  void Assign(const char16_t* chars, std::size_t length) {
    // Names and short values, the most frequent case, without a call.
    if (length <= kInlineCapacity && !IsOnHeap()) {
      CopyShortText(inline_, chars, length);
      inline_[length] = 0;
      length_ = length;
      return;
    }
    AssignOther(chars, length);
  }
  void Assign(std::u16string_view text) { Assign(text.data(), text.size()); }
  // Assigns text.substr(start, length), which must lie inside text (and text not inside this
  // string). Where the text goes on for the whole inline buffer after start, a short part is
  // copied with the same two fixed-size moves whatever its length (no branch on it).
  void AssignFrom(std::u16string_view text, std::size_t start, std::size_t length) {
    if (length <= kInlineCapacity && !IsOnHeap() && text.size() - start > kInlineCapacity) {
      // Two overlapping moves of 16 characters cover the inline buffer (a single move of its odd
      // size becomes a slow string instruction).
      constexpr std::size_t kHalf = (kInlineCapacity + 2) / 2;  // half of the buffer, rounded up
      std::memcpy(inline_, text.data() + start, kHalf * sizeof(char16_t));
      std::memcpy(inline_ + kInlineCapacity + 1 - kHalf,
                  text.data() + start + kInlineCapacity + 1 - kHalf, kHalf * sizeof(char16_t));
      inline_[length] = 0;
      length_ = length;
      return;
    }
    Assign(text.data() + start, length);
  }
  // Empties the text (inline storage again); the case flag stays.
  void Clear() noexcept {
    if (IsOnHeap()) FreeHeap();
    length_ = 0;
    inline_[0] = 0;
  }

  void Append(std::u16string_view text);
  void Append(char16_t c);
  void Append(const MarkupString& other) { Append(other.View()); }
  MarkupString& operator+=(std::u16string_view text) {
    Append(text);
    return *this;
  }
  // Concatenation keeps the left operand's case flag.
  friend MarkupString operator+(const MarkupString& left, std::u16string_view right);
  friend MarkupString operator+(const MarkupString& left, const MarkupString& right) {
    return left + right.View();
  }

  // Up to count characters from start, stopping early at a zero character; a start at or past
  // the end gives the empty string. The result keeps this string's case flag.
  MarkupString Substring(std::size_t start, std::size_t count = npos) const;

  const char16_t* Data() const noexcept { return data_; }
  // Always zero-terminated after Length() characters.
  const char16_t* CStr() const noexcept { return data_; }
  std::size_t Length() const noexcept { return length_; }
  bool IsEmpty() const noexcept { return length_ == 0; }
  std::u16string_view View() const noexcept { return {data_, length_}; }
  std::u16string Str() const { return std::u16string(data_, length_); }
  char16_t operator[](std::size_t i) const noexcept { return data_[i]; }
  // The last character, or 0 for the empty string.
  char16_t LastChar() const noexcept { return length_ ? data_[length_ - 1] : u'\0'; }
  // Whether the text lives in a heap buffer (longer than kInlineCapacity).
  bool IsOnHeap() const noexcept { return data_ != inline_; }

  // Set by default. Two strings compare case-sensitively only when both carry it.
  bool CaseSensitive() const noexcept { return case_sensitive_; }
  void SetCaseSensitive(bool on) noexcept { case_sensitive_ = on; }

  // Equal lengths and equal texts under the case rule.
  friend bool operator==(const MarkupString& a, const MarkupString& b) noexcept;
  // Ordering for sorted tables: the empty string first; else over the shorter length with the
  // case rule, and on a tie the shorter string first. Negative, zero or positive.
  int Compare(const MarkupString& other) const noexcept;
  friend bool operator<(const MarkupString& a, const MarkupString& b) noexcept {
    return a.Compare(b) < 0;
  }

  // Equality with a literal, using only this string's own flag.
  bool Equals(std::u16string_view literal) const noexcept;
  // Whether the text begins with prefix, compared over the prefix's length with the case rule.
  bool StartsWith(const MarkupString& prefix) const noexcept;
  // A literal prefix counts as case-sensitive, so only this string's flag decides.
  bool StartsWith(std::u16string_view prefix) const noexcept;

  // Position of the first c at or after from, or npos. Exact comparison.
  std::size_t Find(char16_t c, std::size_t from = 0) const noexcept;
  // Position of the first occurrence of needle at or after from, or npos. Without this
  // string's case flag both sides compare in lower case. An empty needle is found at from
  // (when from is not past the end). Linear in the text for ordinary needles.
  std::size_t Find(std::u16string_view needle, std::size_t from = 0) const noexcept;

  // The decimal integer at the start, as "%ld" reads it: leading white space, an optional sign,
  // digits; 0 when there are no digits; saturated at the limits of long.
  long ToLong() const noexcept;

  // Only the ASCII letters change.
  void ToLower() noexcept;
  void ToUpper() noexcept;

 private:
  // Copies count characters, at most kInlineCapacity, as memmove does (the two may overlap): a
  // few fixed-size moves that cover the text from both ends, every load before every store.
  static void CopyShortText(char16_t* to, const char16_t* from, std::size_t count) noexcept {
    if (count >= 16) {
      CopyEnds<16>(to, from, count);
    } else if (count >= 8) {
      CopyEnds<8>(to, from, count);
    } else if (count >= 4) {
      CopyEnds<4>(to, from, count);
    } else if (count >= 2) {
      CopyEnds<2>(to, from, count);
    } else if (count == 1) {
      to[0] = from[0];
    }
  }
  // The first and the last kWidth of count characters (count from kWidth to 2 * kWidth).
  // GCC looks at the wider copies even where a short literal is assigned and they cannot run.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wstringop-overread"
#endif
  template <std::size_t kWidth>
  static void CopyEnds(char16_t* to, const char16_t* from, std::size_t count) noexcept {
    char16_t head[kWidth], tail[kWidth];
    std::memcpy(head, from, sizeof head);
    std::memcpy(tail, from + count - kWidth, sizeof tail);
    std::memcpy(to, head, sizeof head);
    std::memcpy(to + count - kWidth, tail, sizeof tail);
  }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  // Assign for texts that are long or replace a heap buffer.
  void AssignOther(const char16_t* chars, std::size_t length);
  // Grows the buffer to hold at least capacity characters, keeping the text.
  void Grow(std::size_t capacity);
  void FreeHeap() noexcept;

  char16_t* data_;
  std::size_t length_ = 0;
  std::size_t capacity_ = kInlineCapacity;  // characters, not counting the terminating zero
  bool case_sensitive_ = true;
  char16_t inline_[kInlineCapacity + 1];
};

}  // namespace kpx
