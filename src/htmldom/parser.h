// Reads HTML text into the node tree of the document stand-in, the way a browser reads a page:
// optional end tags are implied (a cell closes the open cell, a row the open row, a block the
// open paragraph), stray end tags are kept as verbatim markup, and nothing of the text is
// dropped, so that the loaded nodes cover the text exactly, in order. One pass, linear in the
// text; nesting deeper than kMaxDepth is flattened.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "htmldom/node.h"

namespace kpx::html {

constexpr size_t kMaxDepth = 512;

// Parses a whole document below root (a kDocument node without children), recording where every
// node stands in text.
void ParseDocument(std::u16string_view text, Node& root);

// Parses markup as the content of an element that sits depth levels down; the nodes carry no
// source positions.
std::vector<NodePtr> ParseFragment(std::u16string_view text, size_t depth);

}  // namespace kpx::html
