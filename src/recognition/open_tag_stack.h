// The HTML tags opened and not yet closed during a parse, with a boundary for each component
// block, so that tags crossing block boundaries are reported.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

  void PushTag(std::u16string_view name, size_t offset);
  void PushBoundary(const PageNode* container, std::u16string_view container_name);
  // An end tag of a tracked element at offset.
  void EndTag(std::u16string_view name, size_t offset);
  // A component block ends: reports the innermost tag still open inside it and drops everything
  // down to and including its boundary.
  void EndContainer(const PageNode* container);

 private:
  struct Entry {
    std::u16string name;  // as written
    size_t offset;
    const PageNode* container;  // a boundary when set
  };
  std::vector<Entry> entries_;
  Reporter report_;
};

}  // namespace kpx
