// Checks of HTML tags against block boundaries.
#include "recognition/open_tag_stack.h"

#include "base/ascii_case.h"
#include "markup/element_table.h"

namespace kpx {

bool OpenTagStack::Tracks(std::u16string_view name) {
  return (ElementProperties(name) & (kEmpty | kEndTagOptional)) == 0;
}

void OpenTagStack::PushTag(std::u16string_view name, size_t offset) {
  entries_.push_back({std::u16string(name), offset, nullptr});
}

void OpenTagStack::PushBoundary(const PageNode* container, std::u16string_view container_name) {
  entries_.push_back({std::u16string(container_name), 0, container});
}

void OpenTagStack::EndTag(std::u16string_view name, size_t offset) {
  if (entries_.empty()) return;
  const Entry& top = entries_.back();
  if (top.container) {
    report_(u"XX_UnOpenedTagAfterContainerBegin", offset, name, top.name);
    return;
  }
  if (EqualsIgnoringAsciiCase(top.name, name)) {
    entries_.pop_back();
    return;
  }
  for (size_t i = entries_.size() - 1; i-- > 0;) {
    const Entry& entry = entries_[i];
    if (entry.container) {
      report_(u"XX_UnOpenedTagAfterContainerBegin", offset, name, entry.name);
      return;
    }
    if (EqualsIgnoringAsciiCase(entry.name, name)) {
      report_(u"XX_CloseTagsMismatch", offset, entries_.back().name, name);
      entries_.resize(i);
      return;
    }
  }
  report_(u"XX_CloseTagsMismatch", offset, entries_.back().name, name);
}

void OpenTagStack::EndContainer(const PageNode* container) {
  size_t boundary = entries_.size();
  while (boundary > 0 && entries_[boundary - 1].container != container) --boundary;
  if (boundary == 0) return;  // not on the stack (already dropped)
  if (boundary < entries_.size()) {
    const Entry& innermost = entries_.back();
    report_(u"XX_UnClosedTagBeforeContainerEnd", innermost.offset, innermost.name,
            entries_[boundary - 1].name);
  }
  entries_.resize(boundary - 1);
}

}  // namespace kpx
