#include "markup/tag_record.h"

#include <utility>

namespace kpx {

TagRecord::TagRecord(const TagRecord& other)
    : attributes(other.attributes),
      junk_ranges(other.junk_ranges),
      name(other.name),
      end_tag(other.end_tag),
      needs_rewrite(other.needs_rewrite),
      self_closing(other.self_closing),
      tag_start(other.tag_start),
      name_position(other.name_position) {}

TagRecord& TagRecord::operator=(const TagRecord& other) {
  if (this != &other) {
    attributes = other.attributes;
    junk_ranges = other.junk_ranges;
    name = other.name;
    end_tag = other.end_tag;
    needs_rewrite = other.needs_rewrite;
    self_closing = other.self_closing;
    tag_start = other.tag_start;
    name_position = other.name_position;
  }
  return *this;
}

TagRecord::TagRecord(TagRecord&& other) noexcept
    : attributes(std::move(other.attributes)),
      junk_ranges(std::move(other.junk_ranges)),
      name(std::move(other.name)),
      end_tag(other.end_tag),
      needs_rewrite(other.needs_rewrite),
      self_closing(other.self_closing),
      tag_start(other.tag_start),
      name_position(other.name_position) {}

TagRecord& TagRecord::operator=(TagRecord&& other) noexcept {
  if (this != &other) {
    attributes = std::move(other.attributes);
    junk_ranges = std::move(other.junk_ranges);
    name = std::move(other.name);
    end_tag = other.end_tag;
    needs_rewrite = other.needs_rewrite;
    self_closing = other.self_closing;
    tag_start = other.tag_start;
    name_position = other.name_position;
  }
  return *this;
}

}  // namespace kpx
