#include "textutil/forward_finder.h"

#include <algorithm>

namespace kpx {

std::size_t ForwardFinder::FindFrom(std::size_t from) {
  if (searched_from_ != npos && from >= searched_from_ && (found_ == npos || from <= found_)) {
    return found_;
  }
  searched_from_ = from;
  found_ = from <= text_.size() ? text_.find(needle_, from) : npos;
  return found_;
}

bool BoundedFinder::FoundWithin(std::size_t begin, std::size_t end) {
  end = std::min(end, text_.size());
  if (end == searched_end_ && begin >= searched_begin_ && (found_ == npos || begin <= found_)) {
    return found_ != npos;
  }
  searched_begin_ = begin;
  searched_end_ = end;
  found_ = npos;
  if (begin < end && end - begin >= needle_.size()) {
    const std::size_t at = text_.substr(begin, end - begin).find(needle_);
    if (at != npos) found_ = begin + at;
  }
  return found_ != npos;
}

}  // namespace kpx
