// NodeString storage: inline, owned or borrowed.
#include "page/node_string.h"

#include <cstring>
#include <limits>
#include <new>

namespace kpx {

namespace {

// Names of page XML longer than the inline room that nodes carry by the thousand: borrowed from
// here instead of copied.
constexpr std::u16string_view kWellKnown[] = {u"Variable",
                                              u"Resource",
                                              u"kpsCDATA",
                                              u"kpsPrefix",
                                              u"kpsInsideTag",
                                              u"kpsInsideHead",
                                              u"kpsOptionBlock",
                                              u"kpsBlockIsWhiteSpace",
                                              u"kpsPrimitiveAsBlock",
                                              u"kpsMaxColspan",
                                              u"kpsPreviousTag",
                                              u"kpsShowTranslations",
                                              u"kpsProxyBraces",
                                              u"kpsCurrentBlock"};

std::u16string_view WellKnown(std::u16string_view text) {
  for (std::u16string_view known : kWellKnown) {
    if (known.size() == text.size() && known == text) return known;
  }
  return {};
}

}  // namespace

NodeString::NodeString(NodeString&& other) noexcept {
  std::memcpy(bytes_, other.bytes_, sizeof bytes_);
  other.SetInline(0);
}

NodeString& NodeString::operator=(const NodeString& other) {
  if (this != &other) assign(other.view());
  return *this;
}

NodeString& NodeString::operator=(NodeString&& other) noexcept {
  if (this != &other) {
    Release();
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.SetInline(0);
  }
  return *this;
}

const char16_t* NodeString::Pointer() const noexcept {
  const char16_t* pointer;
  std::memcpy(&pointer, bytes_, sizeof pointer);
  return pointer;
}

uint32_t NodeString::Size32() const noexcept {
  uint32_t size;
  std::memcpy(&size, bytes_ + sizeof(const char16_t*), sizeof size);
  return size;
}

void NodeString::SetPointer(const char16_t* data, size_t size, uint8_t mode) noexcept {
  const uint32_t size32 = static_cast<uint32_t>(size);
  std::memcpy(bytes_, &data, sizeof data);
  std::memcpy(bytes_ + sizeof data, &size32, sizeof size32);
  bytes_[kModeByte] = mode;
}

void NodeString::Release() noexcept {
  if (Mode() == kHeldOwned) delete[] Pointer();
}

void NodeString::assign(std::u16string_view text) {
  // The text may be this string's own (or part of it): copy before releasing.
  if (text.size() > std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
  if (text.size() <= kInlineCapacity) {
    // A few characters are read as two overlapping words (or one character) before anything is
    // written: no library call and no loop, for a copy that nodes make by the thousand.
    const size_t size = text.size();
    const char* from = reinterpret_cast<const char*>(text.data());
    if (size >= 4) {
      uint64_t head, tail;
      std::memcpy(&head, from, 8);
      std::memcpy(&tail, from + 2 * size - 8, 8);
      Release();
      std::memcpy(bytes_, &head, 8);
      std::memcpy(bytes_ + 2 * size - 8, &tail, 8);
    } else if (size >= 2) {
      uint32_t head, tail;
      std::memcpy(&head, from, 4);
      std::memcpy(&tail, from + 2 * size - 4, 4);
      Release();
      std::memcpy(bytes_, &head, 4);
      std::memcpy(bytes_ + 2 * size - 4, &tail, 4);
    } else {
      const char16_t c = size == 1 ? text[0] : u'\0';
      Release();
      std::memcpy(bytes_, &c, 2);
    }
    SetInline(size);
    return;
  }
  if (const std::u16string_view known = WellKnown(text); !known.empty()) {
    Release();
    SetPointer(known.data(), known.size(), kHeldBorrowed);
    return;
  }
  char16_t* copy = new char16_t[text.size()];
  std::memcpy(copy, text.data(), text.size() * sizeof(char16_t));
  Release();
  SetPointer(copy, text.size(), kHeldOwned);
}

void NodeString::borrow(std::u16string_view text) {
  // Short texts cost nothing to copy; a text too long to borrow goes to assign, which refuses it.
  if (text.size() <= kInlineCapacity || text.size() > std::numeric_limits<uint32_t>::max()) {
    assign(text);
    return;
  }
  Release();
  SetPointer(text.data(), text.size(), kHeldBorrowed);
}

}  // namespace kpx
