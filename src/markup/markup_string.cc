#include "markup/markup_string.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/ascii_case.h"

namespace kpx {

namespace {

std::size_t ZeroTerminatedLength(const char16_t* text) {
  std::size_t n = 0;
  if (text) {
    while (text[n]) ++n;
  }
  return n;
}

// Equality of two runs of equal length, folding ASCII letters when fold is set.
bool RunsEqual(const char16_t* a, const char16_t* b, std::size_t n, bool fold) noexcept {
  if (!fold) return n == 0 || std::memcmp(a, b, n * sizeof(char16_t)) == 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (AsciiToLower(a[i]) != AsciiToLower(b[i])) return false;
  }
  return true;
}

// The white space that "%ld" skips.
bool IsScanSpace(char16_t c) noexcept {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

MarkupString::MarkupString() noexcept : data_(inline_) {
  inline_[0] = 0;
}

MarkupString::MarkupString(const char16_t* zero_terminated, bool case_sensitive)
    : MarkupString(std::u16string_view(zero_terminated, ZeroTerminatedLength(zero_terminated)),
                   case_sensitive) {}

MarkupString::MarkupString(std::u16string_view text, bool case_sensitive)
    : data_(inline_), case_sensitive_(case_sensitive) {
  inline_[0] = 0;
  Assign(text.data(), text.size());
}

MarkupString::MarkupString(const MarkupString& other)
    : MarkupString(other.View(), other.case_sensitive_) {}

MarkupString::MarkupString(MarkupString&& other) noexcept
    : data_(inline_), case_sensitive_(other.case_sensitive_) {
  if (other.IsOnHeap()) {
    data_ = other.data_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.data_ = other.inline_;
    other.capacity_ = kInlineCapacity;
  } else {
    std::memcpy(inline_, other.inline_, (other.length_ + 1) * sizeof(char16_t));
    length_ = other.length_;
  }
  other.length_ = 0;
  other.inline_[0] = 0;
}

MarkupString& MarkupString::operator=(const MarkupString& other) {
  if (this != &other) {
    Assign(other.data_, other.length_);
    case_sensitive_ = other.case_sensitive_;
  }
  return *this;
}

MarkupString& MarkupString::operator=(MarkupString&& other) noexcept {
  if (this == &other) return *this;
  FreeHeap();
  case_sensitive_ = other.case_sensitive_;
  if (other.IsOnHeap()) {
    data_ = other.data_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.data_ = other.inline_;
    other.capacity_ = kInlineCapacity;
  } else {
    std::memcpy(inline_, other.inline_, (other.length_ + 1) * sizeof(char16_t));
    length_ = other.length_;
  }
  other.length_ = 0;
  other.inline_[0] = 0;
  return *this;
}

MarkupString::~MarkupString() {
  FreeHeap();
}

void MarkupString::FreeHeap() noexcept {
  if (IsOnHeap()) {
    delete[] data_;
    data_ = inline_;
    capacity_ = kInlineCapacity;
  }
}

void MarkupString::Grow(std::size_t capacity) {
  if (capacity <= capacity_) return;
  const std::size_t grown = std::max(capacity, capacity_ + capacity_ / 2);
  char16_t* buffer = new char16_t[grown + 1];
  std::memcpy(buffer, data_, (length_ + 1) * sizeof(char16_t));
  FreeHeap();
  data_ = buffer;
  capacity_ = grown;
}

void MarkupString::AssignOther(const char16_t* chars, std::size_t length) {
  if (length <= kInlineCapacity) {
    // memmove: chars may point into this string's own text.
    if (length) std::memmove(inline_, chars, length * sizeof(char16_t));
    FreeHeap();
    inline_[length] = 0;
    length_ = length;
    return;
  }
  if (length <= capacity_ && IsOnHeap()) {
    std::memmove(data_, chars, length * sizeof(char16_t));
  } else {
    char16_t* buffer = new char16_t[length + 1];
    std::memcpy(buffer, chars, length * sizeof(char16_t));
    FreeHeap();
    data_ = buffer;
    capacity_ = length;
  }
  data_[length] = 0;
  length_ = length;
}

void MarkupString::Append(std::u16string_view text) {
  if (text.empty()) return;
  const std::size_t needed = length_ + text.size();
  if (needed > capacity_) {
    // text may view this string's own buffer, which Grow frees.
    if (text.data() >= data_ && text.data() <= data_ + length_) {
      const MarkupString copy(text);
      Append(copy.View());
      return;
    }
    Grow(needed);
  }
  std::memmove(data_ + length_, text.data(), text.size() * sizeof(char16_t));
  length_ = needed;
  data_[length_] = 0;
}

void MarkupString::Append(char16_t c) {
  Append(std::u16string_view(&c, 1));
}

MarkupString operator+(const MarkupString& left, std::u16string_view right) {
  MarkupString result(left);
  result.Append(right);
  return result;
}

MarkupString MarkupString::Substring(std::size_t start, std::size_t count) const {
  MarkupString result;
  result.case_sensitive_ = case_sensitive_;
  if (start >= length_) return result;
  const std::size_t limit = std::min(count, length_ - start);
  std::size_t n = 0;
  while (n < limit && data_[start + n] != 0) ++n;
  result.Assign(data_ + start, n);
  return result;
}

bool operator==(const MarkupString& a, const MarkupString& b) noexcept {
  if (a.length_ != b.length_) return false;
  const bool fold = !(a.case_sensitive_ && b.case_sensitive_);
  return RunsEqual(a.data_, b.data_, a.length_, fold);
}

int MarkupString::Compare(const MarkupString& other) const noexcept {
  if (length_ == 0 || other.length_ == 0) {
    if (length_ == other.length_) return 0;
    return length_ == 0 ? -1 : 1;
  }
  const bool fold = !(case_sensitive_ && other.case_sensitive_);
  const std::size_t n = std::min(length_, other.length_);
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = fold ? AsciiToLower(data_[i]) : data_[i];
    const char16_t y = fold ? AsciiToLower(other.data_[i]) : other.data_[i];
    if (x != y) return x < y ? -1 : 1;
  }
  if (length_ == other.length_) return 0;
  return length_ < other.length_ ? -1 : 1;
}

bool MarkupString::Equals(std::u16string_view literal) const noexcept {
  return literal.size() == length_ && RunsEqual(data_, literal.data(), length_, !case_sensitive_);
}

bool MarkupString::StartsWith(const MarkupString& prefix) const noexcept {
  return prefix.length_ <= length_ && RunsEqual(data_, prefix.data_, prefix.length_,
                                                !(case_sensitive_ && prefix.case_sensitive_));
}

bool MarkupString::StartsWith(std::u16string_view prefix) const noexcept {
  return prefix.size() <= length_ &&
         RunsEqual(data_, prefix.data(), prefix.size(), !case_sensitive_);
}

std::size_t MarkupString::Find(char16_t c, std::size_t from) const noexcept {
  for (std::size_t i = from; i < length_; ++i) {
    if (data_[i] == c) return i;
  }
  return npos;
}

std::size_t MarkupString::Find(std::u16string_view needle, std::size_t from) const noexcept {
  if (from > length_ || needle.size() > length_ - from) return npos;
  if (needle.empty()) return from;
  if (case_sensitive_) {
    const std::size_t at = View().find(needle, from);
    return at == std::u16string_view::npos ? npos : at;
  }
  const char16_t first = AsciiToLower(needle[0]);
  const std::size_t last_start = length_ - needle.size();
  for (std::size_t i = from; i <= last_start; ++i) {
    if (AsciiToLower(data_[i]) == first &&
        RunsEqual(data_ + i + 1, needle.data() + 1, needle.size() - 1, true)) {
      return i;
    }
  }
  return npos;
}

long MarkupString::ToLong() const noexcept {
  std::size_t i = 0;
  while (i < length_ && IsScanSpace(data_[i])) ++i;
  bool negative = false;
  if (i < length_ && (data_[i] == u'+' || data_[i] == u'-')) {
    negative = data_[i] == u'-';
    ++i;
  }
  // Accumulate towards the sign so that LONG_MIN is reachable; saturate on overflow.
  long value = 0;
  for (; i < length_ && data_[i] >= u'0' && data_[i] <= u'9'; ++i) {
    const int digit = data_[i] - u'0';
    if (negative) {
      if (value < (LONG_MIN + digit) / 10) return LONG_MIN;
      value = value * 10 - digit;
    } else {
      if (value > (LONG_MAX - digit) / 10) return LONG_MAX;
      value = value * 10 + digit;
    }
  }
  return value;
}

void MarkupString::ToLower() noexcept {
  for (std::size_t i = 0; i < length_; ++i) data_[i] = AsciiToLower(data_[i]);
}

void MarkupString::ToUpper() noexcept {
  for (std::size_t i = 0; i < length_; ++i) data_[i] = AsciiToUpper(data_[i]);
}

}  // namespace kpx
