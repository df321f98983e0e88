// RawContentGuards: decides, for a script, style or comment element of a page, whether its body
// needs the guard that lets it stand as CDATA in XHTML and still run in an HTML reader.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "textutil/forward_finder.h"

namespace kpx {

enum class RawContentKind { kScript = 0, kStyle = 1, kComment = 2 };

// script, style and comment (any letter case); nothing for other names.
std::optional<RawContentKind> RawContentKindOf(std::u16string_view name);

class RawContentGuards {
 public:
  // text must outlive the guards.
  explicit RawContentGuards(std::u16string_view text);

  struct Plan {
    bool end_tag_found = false;   // the element's own end tag is written after its start tag
    std::size_t content_end = 0;  // where that end tag starts
    bool insert_opener = false;   // at the start tag's end
    bool insert_closer = false;   // at content_end
  };

  // For the start tag of an element of kind that ends at tag_end. The body runs from the first
  // non-blank character after the tag to the first place where "</script>" (or "</style>",
  // "</comment>") is written exactly, searched from that character itself. The opener goes in
  // unless the body starts with it (or with it less its "<!--", which an HTML reader may have
  // passed over) or holds it; the closer unless the body holds it; neither when the element has
  // a src attribute, when "<kpscdata" stands between tag_end and the end tag, or when there is
  // no end tag. Calls must come in the order of the tags in the text.
  Plan PlanFor(RawContentKind kind, std::size_t tag_end, bool has_src);

  // The texts inserted: the opener or closer with a CR LF on each side.
  static std::u16string OpenerText(RawContentKind kind);
  static std::u16string CloserText(RawContentKind kind);

 private:
  std::u16string_view text_;
  ForwardFinder end_tags_[3];
  BoundedFinder script_opener_;
  BoundedFinder script_closer_;
  BoundedFinder style_opener_;  // style and comment share their guard
  BoundedFinder style_closer_;
  BoundedFinder marker_;
};

}  // namespace kpx
