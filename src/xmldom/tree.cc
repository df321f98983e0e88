// The DOM view of a libxml2 tree.
#include "xmldom/tree.h"

#include "xmldom/strings.h"

namespace kpx {

DOMNodeType DomTypeOf(const xmlNode* node) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
      return NODE_ELEMENT;
    case XML_ATTRIBUTE_NODE:
      return NODE_ATTRIBUTE;
    case XML_TEXT_NODE:
      return NODE_TEXT;
    case XML_CDATA_SECTION_NODE:
      return NODE_CDATA_SECTION;
    case XML_ENTITY_REF_NODE:
      return NODE_ENTITY_REFERENCE;
    case XML_ENTITY_DECL:
      return NODE_ENTITY;
    case XML_PI_NODE:
      return NODE_PROCESSING_INSTRUCTION;
    case XML_COMMENT_NODE:
      return NODE_COMMENT;
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
      return NODE_DOCUMENT;
    case XML_DTD_NODE:
    case XML_DOCUMENT_TYPE_NODE:
      return NODE_DOCUMENT_TYPE;
    case XML_DOCUMENT_FRAG_NODE:
      return NODE_DOCUMENT_FRAGMENT;
    case XML_NOTATION_NODE:
      return NODE_NOTATION;
    default:
      return NODE_INVALID;
  }
}

std::string QualifiedName(const xmlNode* node) {
  std::string name;
  if (node->ns && node->ns->prefix) {
    name = XmlView(node->ns->prefix);
    name += ':';
  }
  name += XmlView(node->name);
  return name;
}

std::string DomNodeName(const xmlNode* node) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
      return QualifiedName(node);
    case XML_TEXT_NODE:
      return "#text";
    case XML_CDATA_SECTION_NODE:
      return "#cdata-section";
    case XML_COMMENT_NODE:
      return "#comment";
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
      return "#document";
    case XML_DOCUMENT_FRAG_NODE:
      return "#document-fragment";
    default:
      return std::string(XmlView(node->name));
  }
}

bool ShowsChildren(const xmlNode* node) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
    case XML_DOCUMENT_FRAG_NODE:
      return true;
    default:
      return false;
  }
}

xmlNode* DomParent(const xmlNode* node) {
  if (node->type == XML_ATTRIBUTE_NODE) return nullptr;
  return node->parent;
}

xmlNode* DomFirstChild(const xmlNode* node) {
  return ShowsChildren(node) ? node->children : nullptr;
}

xmlNode* DomLastChild(const xmlNode* node) {
  return ShowsChildren(node) ? node->last : nullptr;
}

xmlNode* DomNextSibling(const xmlNode* node) {
  if (node->type == XML_ATTRIBUTE_NODE || !node->parent) return nullptr;
  return node->next;
}

xmlNode* DomPreviousSibling(const xmlNode* node) {
  if (node->type == XML_ATTRIBUTE_NODE || !node->parent) return nullptr;
  return node->prev;
}

bool HasNodeValue(const xmlNode* node) {
  switch (node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
    case XML_ATTRIBUTE_NODE:
      return true;
    default:
      return false;
  }
}

std::string NodeValue(const xmlNode* node) {
  if (node->type == XML_ATTRIBUTE_NODE) return NodeText(node);
  return std::string(XmlView(node->content));
}

std::string NodeText(const xmlNode* node) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
    case XML_DOCUMENT_FRAG_NODE:
    case XML_ENTITY_REF_NODE: {
      XmlString text(xmlNodeGetContent(node));
      return std::string(text.View());
    }
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      return std::string(XmlView(node->content));
    default:
      return {};
  }
}

const xmlChar* LocalNameOf(const xmlNode* node) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_PI_NODE:
    case XML_ENTITY_REF_NODE:
    case XML_DTD_NODE:
      return node->name;
    default:
      return nullptr;
  }
}

const xmlChar* NamespaceUriOf(const xmlNode* node) {
  if (node->type != XML_ELEMENT_NODE && node->type != XML_ATTRIBUTE_NODE) return nullptr;
  return node->ns ? node->ns->href : nullptr;
}

xmlAttr* FindAttribute(const xmlNode* element, std::string_view qualified_name) {
  if (element->type != XML_ELEMENT_NODE) return nullptr;
  for (xmlAttr* attr = element->properties; attr; attr = attr->next) {
    const auto* node = reinterpret_cast<const xmlNode*>(attr);
    if (QualifiedName(node) == qualified_name) return attr;
  }
  return nullptr;
}

}  // namespace kpx
