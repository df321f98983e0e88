// What a parse needs to know of a tag name, worked out once per name as written: a page repeats
// a few dozen names thousands of times, and each tag then costs one look-up instead of a lower-case
// copy, element-table searches and name comparisons.
#pragma once

#include <cstdint>
#include <deque>
#include <string_view>
#include <utility>

#include "base/text_ids.h"

namespace kpx {

template <typename Facts>
class TagFactsTable {
 public:
  // The facts of a name as written, made by make(written) the first time the name is met. The
  // reference stays good for the life of the table.
  template <typename Make>
  const Facts& Of(std::u16string_view written, Make&& make) {
    bool added = false;
    const uint32_t id = names_.Add(written, &added);
    if (added) facts_.push_back(make(written));
    return facts_[id];
  }

 private:
  TextIds names_;
  std::deque<Facts> facts_;  // by names_; a deque keeps each where it is as it grows
};

}  // namespace kpx
