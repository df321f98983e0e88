// Finding a fixed text again and again in one page while the reader moves forward, remembering
// the last answer so that no part of the page is searched over and over.
#pragma once

#include <cstddef>
#include <string_view>

namespace kpx {

// The first place at or after an offset where the needle is written.
class ForwardFinder {
 public:
  static constexpr std::size_t npos = std::u16string_view::npos;

  // Both texts must outlive the finder.
  ForwardFinder(std::u16string_view text, std::u16string_view needle)
      : text_(text), needle_(needle) {}

  // The first offset at or after from where the needle is written exactly, or npos. Calls with
  // from never decreasing cost, together, about one pass over the text.
  std::size_t FindFrom(std::size_t from);

 private:
  std::u16string_view text_;
  std::u16string_view needle_;
  // The needle does not occur in [searched_from_, found_); found_ is npos when it does not occur
  // at or after searched_from_ at all.
  std::size_t searched_from_ = npos;
  std::size_t found_ = npos;
};

// Whether the needle lies wholly inside a range. Ranges asked about one after the other either
// end at the same place (the body of a script and of the scripts opened inside it) or start
// after the earlier one ended, and together cost about one pass over the text.
class BoundedFinder {
 public:
  static constexpr std::size_t npos = std::u16string_view::npos;

  BoundedFinder(std::u16string_view text, std::u16string_view needle)
      : text_(text), needle_(needle) {}

  bool FoundWithin(std::size_t begin, std::size_t end);

 private:
  std::u16string_view text_;
  std::u16string_view needle_;
  // The last range searched and the first place the needle was found in it (npos: nowhere).
  std::size_t searched_begin_ = npos;
  std::size_t searched_end_ = npos;
  std::size_t found_ = npos;
};

}  // namespace kpx
