#include "textutil/raw_content_guard.h"

#include "base/ascii_case.h"
#include "textutil/fixed_texts.h"
#include "textutil/tag_extent.h"

namespace kpx {

namespace {

using page_texts::kScriptGuardCloser;
using page_texts::kScriptGuardOpener;
using page_texts::kStyleGuardCloser;
using page_texts::kStyleGuardOpener;

std::u16string_view OpenerOf(RawContentKind kind) {
  return kind == RawContentKind::kScript ? kScriptGuardOpener : kStyleGuardOpener;
}

std::u16string_view CloserOf(RawContentKind kind) {
  return kind == RawContentKind::kScript ? kScriptGuardCloser : kStyleGuardCloser;
}

std::u16string OnItsOwnLine(std::u16string_view text) {
  std::u16string line = u"\r\n";
  line.append(text);
  line.append(u"\r\n");
  return line;
}

// An HTML reader may already have passed the "<!--" that starts the opener.
constexpr std::size_t kCommentOpenerLength = 4;

}  // namespace

std::optional<RawContentKind> RawContentKindOf(std::u16string_view name) {
  // Most names are none of them: their length rules them out.
  if (name.size() < 5 || name.size() > 7) return std::nullopt;
  if (EqualsIgnoringAsciiCase(name, u"script")) return RawContentKind::kScript;
  if (EqualsIgnoringAsciiCase(name, u"style")) return RawContentKind::kStyle;
  if (EqualsIgnoringAsciiCase(name, u"comment")) return RawContentKind::kComment;
  return std::nullopt;
}

RawContentGuards::RawContentGuards(std::u16string_view text)
    : text_(text),
      end_tags_{ForwardFinder(text, u"</script>"), ForwardFinder(text, u"</style>"),
                ForwardFinder(text, u"</comment>")},
      script_opener_(text, kScriptGuardOpener),
      script_closer_(text, kScriptGuardCloser),
      style_opener_(text, kStyleGuardOpener),
      style_closer_(text, kStyleGuardCloser),
      marker_(text, page_texts::kCDataMarker) {}

RawContentGuards::Plan RawContentGuards::PlanFor(RawContentKind kind, std::size_t tag_end,
                                                 bool has_src) {
  Plan plan;
  const std::size_t content_start = SkipBlanksFrom(text_, tag_end);
  const std::size_t content_end = end_tags_[static_cast<int>(kind)].FindFrom(content_start);
  if (content_end == ForwardFinder::npos) return plan;
  plan.end_tag_found = true;
  plan.content_end = content_end;
  if (has_src || marker_.FoundWithin(tag_end, content_end)) return plan;

  const std::u16string_view opener = OpenerOf(kind);
  const bool guarded = TextAt(text_, content_start, opener) ||
                       TextAt(text_, content_start, opener.substr(kCommentOpenerLength));
  const bool script = kind == RawContentKind::kScript;
  BoundedFinder& opener_finder = script ? script_opener_ : style_opener_;
  BoundedFinder& closer_finder = script ? script_closer_ : style_closer_;
  plan.insert_opener = !guarded && !opener_finder.FoundWithin(content_start, content_end);
  plan.insert_closer = !closer_finder.FoundWithin(content_start, content_end);
  return plan;
}

std::u16string RawContentGuards::OpenerText(RawContentKind kind) {
  return OnItsOwnLine(OpenerOf(kind));
}

std::u16string RawContentGuards::CloserText(RawContentKind kind) {
  return OnItsOwnLine(CloserOf(kind));
}

}  // namespace kpx
