#include "cleaner/preserve_case.h"

#include "base/ascii_case.h"
#include "cleaner/tidy_tree.h"

namespace kpx {

namespace {

// Characters that continue a tag name in libtidy's reading (so "<divx" is not "<div").
bool ContinuesName(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.' || c == ':';
}

}  // namespace

std::u16string_view WrittenStartTag(TidyNode element, std::u16string_view source,
                                    const SourcePositionMap& positions) {
  const std::string_view name = ElementName(element);
  const auto offset = positions.Offset(tidyNodeLine(element), tidyNodeColumn(element));
  if (name.empty() || !offset || source[*offset] != '<') return {};
  const size_t begin = *offset + 1;
  if (begin + name.size() > source.size()) return {};
  for (size_t i = 0; i < name.size(); ++i) {
    if (AsciiToLower(source[begin + i]) != static_cast<unsigned char>(name[i])) return {};
  }
  const size_t end = begin + name.size();
  if (end < source.size() && ContinuesName(source[end])) return {};
  return source.substr(*offset, end - *offset);
}

void PlanWrittenNames(TidyNode root, std::u16string_view source, const SourcePositionMap& positions,
                      TagEditPlan* plan) {
  ForEachNode(root, [&](TidyNode node) {
    if (!IsElement(node)) return;
    const std::u16string_view tag = WrittenStartTag(node, source, positions);
    if (tag.empty()) return;
    const std::u16string_view written = tag.substr(1);
    const std::string_view name = ElementName(node);
    for (size_t i = 0; i < written.size(); ++i) {
      if (written[i] != static_cast<unsigned char>(name[i])) {
        (*plan)[node].written_name = std::u16string(written);
        return;
      }
    }
  });
}

}  // namespace kpx
