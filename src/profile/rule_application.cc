#include "profile/rule_application.h"

#include <string>

#include "base/ascii_case.h"
#include "page/xml_text.h"

namespace kpx {

namespace {

std::u16string_view SourceText(const PageNode& node) {
  if (!node.Document()) return {};
  const SourceRange& range = node.range;
  const size_t end = range.close_end != kNoSourceOffset ? range.close_end : range.open_end;
  return node.Document()->Slice(range.open_start, end);
}

std::u16string Cased(std::u16string_view text, bool upper) {
  std::u16string out(text);
  for (char16_t& c : out) c = upper ? AsciiToUpper(c) : AsciiToLower(c);
  return out;
}

// Renames every attribute; of two that end up with one name the first stays.
void CaseAttributes(PageNode& node, bool upper) {
  PageAttributes renamed;
  for (const auto& [name, value] : node.attributes.Entries()) {
    std::u16string cased = Cased(name, upper);
    if (!renamed.Has(cased)) renamed.Set(cased, value);
  }
  node.attributes = std::move(renamed);
}

void CaseName(PageNode& node, bool upper) {
  node.written_name = Cased(node.WrittenName(), upper);
  node.name = Cased(node.name, upper);
}

}  // namespace

void ApplyRule(PageNode& node, const ProfileRule& rule, uint32_t options, bool primary,
               bool markup) {
  if ((options & kOptionEncloseInTag) && (primary || markup) && node.Children().empty()) {
    const SourceRange& range = node.range;
    const size_t end = range.close_end != kNoSourceOffset ? range.close_end : range.open_end;
    if (!SourceText(node).empty()) {
      PageNode* text = PageNode::Create(u"Text", &node, u"");
      text->range = {range.open_start, range.open_start, end, end};
      text->own_text_in_source = true;
    }
  }
  if (options & kOptionRawContent) node.flags |= kWriteRawContent;
  if (options & kOptionSimulate) node.flags |= kWriteSimulatedTags;
  // A node is numbered once, whichever of its calls comes first.
  if ((options & kOptionEnumerateLocal) && node.Parent() &&
      !node.attributes.Has(kLocalOrderAttribute)) {
    PageNode& parent = *node.Parent();
    parent.local_order += 10;
    const std::string digits = std::to_string(parent.local_order);
    node.attributes.Set(kLocalOrderAttribute, std::u16string(digits.begin(), digits.end()));
  }
  if (primary || markup) {
    for (const std::u16string& flag : rule.flags.names()) {
      // A name that is no XML name cannot be an attribute.
      if (IsQName(flag)) node.attributes.Set(flag, u"true");
    }
  }
  if (primary && rule.balance == Balance::kDeny) {
    node.attributes.Set(u"kpsForcelyBalanced", u"true");
  }
  if (!markup) return;
  if (options & kOptionLowerTag) CaseName(node, false);
  if (options & kOptionLowerAttributes) CaseAttributes(node, false);
  if (options & kOptionUpperTag) CaseName(node, true);
  if (options & kOptionUpperAttributes) CaseAttributes(node, true);
  if (options & kOptionLiteralEndOnly) node.flags |= kWriteLiteralEndOnly;
  if (options & kOptionBalanceMarker) node.flags |= kWriteBalanceMarker;
  if (options & kOptionLiteralClosing) node.flags |= kWriteLiteralClosing;
  if (rule.replacements.empty()) return;
  const std::u16string_view source = SourceText(node);
  for (const ReplaceEntry& replacement : rule.replacements) {
    const std::u16string_view match = replacement.match;
    if (replacement.position == ReplacePosition::kPrefix &&
        source.substr(0, match.size()) == match) {
      PageNode::Create(u"Text", &node, replacement.replacement, false);
    } else if (replacement.position == ReplacePosition::kSuffix && source.size() >= match.size() &&
               source.substr(source.size() - match.size()) == match) {
      PageNode::Create(u"Text", &node, replacement.replacement);
    }
  }
}

}  // namespace kpx
