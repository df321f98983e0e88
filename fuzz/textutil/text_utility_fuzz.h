// What the text utility fuzz targets share: how the input bytes become a page (and a second
// argument), and the checks every utility must pass whatever the page (among them: its edit
// list is always applied in linear time).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/ascii_case.h"
#include "base/utf.h"
#include "markup/attribute_escaping.h"
#include "markup/text_edit_list.h"

namespace kpx::fuzzing {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

struct FuzzInput {
  std::uint8_t settings = 0;  // the first byte: each target reads its own bits
  std::u16string page;
  std::u16string second;  // after the first zero byte, if any: a second argument
  bool has_second = false;
};

// The first byte chooses the settings. The rest is the page, as UTF-8, or as raw UTF-16 when
// the top bit of the settings is set; a zero byte splits off a second argument.
inline FuzzInput DecodeInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input;
  if (size == 0) return input;
  input.settings = data[0];
  std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string_view second;
  if (const std::size_t zero = bytes.find('\0'); zero != std::string_view::npos) {
    second = bytes.substr(zero + 1);
    bytes = bytes.substr(0, zero);
    input.has_second = true;
  }
  auto decode = [&](std::string_view part) {
    if (!(input.settings & 0x80)) return ToUtf16(part);
    std::u16string text;
    for (std::size_t i = 0; i + 1 < part.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(part[i]) |
                                           (static_cast<std::uint8_t>(part[i + 1]) << 8)));
    }
    return text;
  };
  input.page = decode(bytes);
  input.second = decode(second);
  return input;
}

// Lives through one run of a target: every edit list the utilities applied meanwhile must have
// been taken by one of the linear ways. A list that needs the edit-by-edit replay (overlapping
// or moving edits) is a fault in the utility that recorded it.
class OnlyLinearApplies {
 public:
  OnlyLinearApplies() : before_(TextEditList::ReplayedListCount()) {}
  ~OnlyLinearApplies() { Check(TextEditList::ReplayedListCount() == before_); }
  OnlyLinearApplies(const OnlyLinearApplies&) = delete;
  OnlyLinearApplies& operator=(const OnlyLinearApplies&) = delete;

 private:
  std::uint64_t before_;
};

// A list as an earlier operation might have left it: the utility must not see any of it.
inline TextEditList DirtyEditList() {
  TextEditList edits(u"left over");
  edits.Insert(0, u"<x>", true);
  edits.Delete(2, 3);
  return edits;
}

// Every utility leaves the list empty and the escaping switch as it found it.
inline void CheckLeftClean(const TextEditList& edits, bool escaping_off_before) {
  Check(edits.EditCount() == 0);
  Check(edits.Text().empty());
  Check(AttributeEscapingOff() == escaping_off_before);
}

inline bool Contains(std::u16string_view text, std::u16string_view word) {
  if (word.size() > text.size()) return false;
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (EqualsIgnoringAsciiCase(text.substr(i, word.size()), word)) return true;
  }
  return false;
}

// Whether small is what remains of big after some of its characters were taken out.
inline bool IsSubsequence(std::u16string_view small, std::u16string_view big) {
  std::size_t i = 0;
  for (char16_t c : big) {
    if (i < small.size() && small[i] == c) ++i;
  }
  return i == small.size();
}

}  // namespace kpx::fuzzing
