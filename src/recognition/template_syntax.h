// Small readings of template text that both parsers share: placeholders, block marker words,
// tags that can be written as elements, decimal attribute values.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "markup/tag_record.h"
#include "page/page_node.h"

namespace kpx {

// Length of a placeholder "{" name "}" at text[at] (0 when there is none): a name token starts
// with a letter, digit or "_" and goes on with name characters; no white space.
size_t PlaceholderLength(std::u16string_view text, size_t at);

// Whether text holds a "{" (where a placeholder may start): attribute values are looked at with
// every tag, most have none.
bool HoldsBrace(std::u16string_view text);

// Up to max_words words of a comment body, split at white space.
std::vector<std::u16string_view> MarkerWords(std::u16string_view text, size_t max_words);

// Element and attribute names must be qualified names, and no two attributes may share a local
// name under a prefix (every prefix is bound to one namespace).
bool WritableAsElement(const TagRecord& tag);

// The base name of a "{X_Name}" or "{X_Src}" placeholder name, empty for any other name.
std::u16string_view EmbracedComponentName(std::u16string_view name);

bool OnlyWhiteSpace(std::u16string_view text);

std::u16string Decimal(long value);

// The tag's attributes onto its node, after room for `extra` more: values that stand in the
// template text as they are are borrowed from it, the others (repaired by the tag reader) copied.
void CopyTagAttributes(const TagRecord& tag, std::u16string_view text, PageNode& node,
                       size_t extra);

}  // namespace kpx
