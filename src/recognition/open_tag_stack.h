// The HTML tags opened and not yet closed during a parse, with a boundary for each component
// block, so that tags crossing block boundaries are reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_ids.h"

namespace kpx {

class PageNode;

class OpenTagStack {
 public:
  // Receives (message key, offset, first argument, second argument).
  using Reporter =
      std::function<void(std::u16string_view, size_t, std::u16string_view, std::u16string_view)>;

  explicit OpenTagStack(Reporter report) : report_(std::move(report)) {}

  // Whether a start tag of this element is tracked: neither empty nor with an optional end tag
  // (unknown elements included).
  static bool Tracks(std::u16string_view name);

  // The number by which the stack knows a tag name in any letter case, for a caller that passes
  // it with every tag instead of having the name looked up each time.
  static constexpr uint32_t kUnnumbered = UINT32_MAX;
  uint32_t NameNumber(std::u16string_view name);
  // The number of a name as written, which the stack keeps for its messages instead of a copy
  // with every tag.
  uint32_t WrittenNumber(std::u16string_view name) { return written_.Add(name); }

  void PushTag(std::u16string_view name, size_t offset, uint32_t number = kUnnumbered,
               uint32_t written = kUnnumbered);
  void PushBoundary(const PageNode* container, std::u16string_view container_name);
  // An end tag of a tracked element at offset.
  void EndTag(std::u16string_view name, size_t offset, uint32_t number = kUnnumbered);
  // A component block ends: reports the innermost tag still open inside it and drops everything
  // down to and including its boundary.
  void EndContainer(const PageNode* container);

 private:
  struct Entry {
    uint32_t written;  // the name as written, by WrittenNumber
    size_t offset;
    const PageNode* container;  // a boundary when set
    uint32_t number;            // the name's (tags only)
  };
  // Drops the entries from position size on.
  void PopTo(size_t size);
  const std::u16string& NameOf(const Entry& entry) const { return written_.Text(entry.written); }

  std::vector<Entry> entries_;
  // Indexes into entries_, so that an end tag finds what it closes without walking the stack:
  // the boundaries, and the open tags of each name, innermost last.
  std::vector<size_t> boundaries_;
  std::vector<std::vector<size_t>> open_by_name_;
  TextIds names_;          // in lower case
  TextIds written_;        // as written
  std::u16string folded_;  // room for a name in lower case
  Reporter report_;
};

}  // namespace kpx
