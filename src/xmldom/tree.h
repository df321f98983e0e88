// The DOM view of a libxml2 tree: node types and names as DOM callers know them, which nodes a
// walk shows, and the text of a subtree. Read-only.
//
// Shown as children: the children of the document, of elements and of attributes (the text of the
// value). The document type node is a child of the document without children of its own; entity
// reference nodes have no children either, but their text is the entity's replacement text (for
// internal entities; external entities are never loaded, so their text is empty). Attributes
// have no parent and no siblings. Namespace declarations are not attributes here.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>

#include "kpx/msxml.h"

namespace kpx {

DOMNodeType DomTypeOf(const xmlNode* node);

// "prefix:local" for elements and attributes, the local name when there is no prefix.
std::string QualifiedName(const xmlNode* node);

// The DOM node name: the qualified name of an element or attribute, the target of a processing
// instruction, the name of an entity reference or document type, "#text", "#cdata-section",
// "#comment", "#document" or "#document-fragment".
std::string DomNodeName(const xmlNode* node);

// Whether nodes of this kind show their libxml2 children.
bool ShowsChildren(const xmlNode* node);

// Walking steps; each returns null when the DOM has nothing there.
xmlNode* DomParent(const xmlNode* node);
xmlNode* DomFirstChild(const xmlNode* node);
xmlNode* DomLastChild(const xmlNode* node);
xmlNode* DomNextSibling(const xmlNode* node);
xmlNode* DomPreviousSibling(const xmlNode* node);

// Whether the node has a value (text, CDATA, comment, processing instruction, attribute).
bool HasNodeValue(const xmlNode* node);
// The value of a node that has one.
std::string NodeValue(const xmlNode* node);

// The text of the subtree as stored: text and CDATA of descendants in document order, internal
// entity replacement text included, comments and processing instructions left out (their own text
// for a comment or processing instruction node).
std::string NodeText(const xmlNode* node);

// The local name of an element, attribute, processing instruction, entity reference or document
// type; null for other nodes.
const xmlChar* LocalNameOf(const xmlNode* node);
// The namespace URI of an element or attribute; null when it has none.
const xmlChar* NamespaceUriOf(const xmlNode* node);

// The attribute of an element with the qualified name, or null.
xmlAttr* FindAttribute(const xmlNode* element, std::string_view qualified_name);

}  // namespace kpx
