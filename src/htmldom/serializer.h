// Writing the node tree of the document stand-in as text: markup the way the editor writes it
// (innerHTML, outerHTML), the text content (innerText), and the write-back of a whole document
// that copies every untouched part from the loaded text.
#pragma once

#include <string>
#include <string_view>

#include "htmldom/node.h"

namespace kpx::html {

// Elements with upper-case names, attribute values in quotes, every end tag but those of empty
// elements. Text, comments and verbatim markup as they were written.
std::u16string OuterHtml(const Node& node);
std::u16string InnerHtml(const Node& node);

// The decoded text of the text below node, without script and style bodies.
std::u16string InnerText(const Node& node);
// The same for one text node (empty for other kinds and for text in a script or style body).
std::u16string TextOf(const Node& text_node);

// The document as text: each node that no edit touched is copied from source (the loaded text);
// an element whose attributes changed gets a new start tag, one whose content changed keeps its
// tags but has its children written one by one (an end tag that was implied is then written),
// and nodes made after loading are written as OuterHtml writes them.
std::u16string WriteBack(const Node& root, std::u16string_view source);

}  // namespace kpx::html
