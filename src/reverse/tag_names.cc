// Element names by kind.
#include "reverse/tag_names.h"

#include <array>
#include <vector>

#include "base/ascii_case.h"
#include "markup/element_table.h"

namespace kpx {

namespace {

using namespace std::string_view_literals;

struct NamedKind {
  std::u16string_view name;
  TagKind kind;
};
constexpr std::array<NamedKind, 18> kNamedKinds = {{
    {u"a"sv, TagKind::kA},
    {u"body"sv, TagKind::kBody},
    {u"comment"sv, TagKind::kComment},
    {u"font"sv, TagKind::kFont},
    {u"form"sv, TagKind::kForm},
    {u"head"sv, TagKind::kHead},
    {u"html"sv, TagKind::kHtml},
    {u"img"sv, TagKind::kImg},
    {u"input"sv, TagKind::kInput},
    {u"link"sv, TagKind::kLink},
    {u"meta"sv, TagKind::kMeta},
    {u"option"sv, TagKind::kOption},
    {u"p"sv, TagKind::kP},
    {u"script"sv, TagKind::kScript},
    {u"select"sv, TagKind::kSelect},
    {u"span"sv, TagKind::kSpan},
    {u"style"sv, TagKind::kStyle},
    {u"title"sv, TagKind::kTitle},
}};

}  // namespace

namespace tag_names_detail {

const TagKind* KindsByEntry() {
  static const std::vector<TagKind> kinds = [] {
    const auto table = ElementTable();
    std::vector<TagKind> out(table.size(), TagKind::kOther);
    for (std::size_t i = 0; i < table.size(); ++i) {
      for (const NamedKind& named : kNamedKinds) {
        if (table[i].name == named.name) out[i] = named.kind;
      }
    }
    return out;
  }();
  return kinds.data();
}

TagKind KindOfUnknown(std::u16string_view name) {
  // The one name of interest that is no HTML element.
  return EqualsIgnoringAsciiCase(name, u"kpscdata"sv) ? TagKind::kKpsCData : TagKind::kOther;
}

}  // namespace tag_names_detail

}  // namespace kpx
