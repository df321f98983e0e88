// Checks of HTML tags against block boundaries.
#include "recognition/open_tag_stack.h"

#include "base/ascii_case.h"
#include "markup/element_table.h"

namespace kpx {

bool OpenTagStack::Tracks(std::u16string_view name) {
  return (ElementProperties(name) & (kEmpty | kEndTagOptional)) == 0;
}

uint32_t OpenTagStack::NameNumber(std::u16string_view name) {
  folded_.assign(name);
  for (char16_t& c : folded_) c = AsciiToLower(c);
  const uint32_t number = names_.Add(folded_);
  if (number >= open_by_name_.size()) open_by_name_.resize(number + 1);
  return number;
}

void OpenTagStack::PushTag(std::u16string_view name, size_t offset, uint32_t number,
                           uint32_t written) {
  if (number == kUnnumbered) number = NameNumber(name);
  if (written == kUnnumbered) written = WrittenNumber(name);
  open_by_name_[number].push_back(entries_.size());
  entries_.push_back({written, offset, nullptr, number});
}

void OpenTagStack::PushBoundary(const PageNode* container, std::u16string_view container_name) {
  boundaries_.push_back(entries_.size());
  entries_.push_back({WrittenNumber(container_name), 0, container, kUnnumbered});
}

void OpenTagStack::PopTo(size_t size) {
  while (entries_.size() > size) {
    const Entry& entry = entries_.back();
    if (entry.container) {
      boundaries_.pop_back();
    } else {
      open_by_name_[entry.number].pop_back();
    }
    entries_.pop_back();
  }
}

void OpenTagStack::EndTag(std::u16string_view name, size_t offset, uint32_t number) {
  if (entries_.empty()) return;
  const Entry& top = entries_.back();
  if (top.container) {
    report_(u"XX_UnOpenedTagAfterContainerBegin", offset, name, NameOf(top));
    return;
  }
  if (number == kUnnumbered) number = NameNumber(name);
  if (top.number == number) {
    PopTo(entries_.size() - 1);
    return;
  }
  // The innermost open tag of the name, unless a boundary stands between it and the end tag.
  const std::vector<size_t>& open = open_by_name_[number];
  const bool bounded = !boundaries_.empty();
  if (!open.empty() && (!bounded || open.back() > boundaries_.back())) {
    report_(u"XX_CloseTagsMismatch", offset, NameOf(top), name);
    PopTo(open.back());
    return;
  }
  if (bounded) {
    report_(u"XX_UnOpenedTagAfterContainerBegin", offset, name,
            NameOf(entries_[boundaries_.back()]));
    return;
  }
  report_(u"XX_CloseTagsMismatch", offset, NameOf(top), name);
}

void OpenTagStack::EndContainer(const PageNode* container) {
  size_t found = boundaries_.size();
  while (found > 0 && entries_[boundaries_[found - 1]].container != container) --found;
  if (found == 0) return;  // not on the stack (already dropped)
  const size_t boundary = boundaries_[found - 1];
  if (boundary + 1 < entries_.size()) {
    const Entry& innermost = entries_.back();
    report_(u"XX_UnClosedTagBeforeContainerEnd", innermost.offset, NameOf(innermost),
            NameOf(entries_[boundary]));
  }
  PopTo(boundary);
}

}  // namespace kpx
