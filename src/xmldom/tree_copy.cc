// Copies of trees with entity references expanded.
#include "xmldom/tree_copy.h"

#include <libxml/entities.h>

#include <new>

#include "base/status.h"

namespace kpx {

namespace {

// Nodes an expansion may visit: far above any real stylesheet or page, well below what would
// exhaust memory when entities nest.
constexpr size_t kMaxExpandedNodes = 4'000'000;

// The next node in document order after node's subtree, staying inside the tree.
xmlNode* NextAfterSubtree(xmlNode* node) {
  while (node) {
    if (node->next) return node->next;
    node = node->parent;
    if (node && (node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE)) {
      return nullptr;
    }
  }
  return nullptr;
}

// The nodes that stand for an entity reference: a copy of the entity's parsed content, or its
// text when libxml2 never parsed it. May be null (an external or empty entity).
xmlNode* ReplacementFor(xmlDoc* target, const xmlDoc* entities, const xmlNode* reference) {
  xmlEntity* entity = xmlGetDocEntity(entities, reference->name);
  if (!entity) return nullptr;
  switch (entity->etype) {
    case XML_INTERNAL_GENERAL_ENTITY:
      if (entity->children) {
        xmlNode* copy = xmlDocCopyNodeList(target, entity->children);
        if (!copy) throw std::bad_alloc();
        return copy;
      }
      [[fallthrough]];
    case XML_INTERNAL_PREDEFINED_ENTITY:
      if (!entity->content || !*entity->content) return nullptr;
      if (xmlNode* text = xmlNewDocText(target, entity->content)) return text;
      throw std::bad_alloc();
    default:
      return nullptr;  // external entities are never loaded
  }
}

bool MergeableText(const xmlNode* a, const xmlNode* b) {
  return a && b && a->type == XML_TEXT_NODE && b->type == XML_TEXT_NODE && a->name == b->name;
}

// Puts the sibling list that starts at first (may be null) in place of node, which is freed, and
// merges text that comes to touch, as if the parser had substituted the entity. Returns where the
// walk goes on: the first node not yet walked, or a walked text node just before it.
xmlNode* Splice(xmlNode* node, xmlNode* first) {
  xmlNode* parent = node->parent;
  xmlNode* before = node->prev;
  xmlNode* after = node->next;
  xmlUnlinkNode(node);
  xmlFreeNode(node);
  if (!first) {
    if (MergeableText(before, after)) {
      xmlTextMerge(before, after);
      return before;
    }
    return after ? after : NextAfterSubtree(parent);
  }
  xmlNode* last = first;
  for (xmlNode* n = first; n; n = n->next) {
    n->parent = parent;
    last = n;
  }
  first->prev = before;
  last->next = after;
  if (before) {
    before->next = first;
  } else {
    parent->children = first;
  }
  if (after) {
    after->prev = last;
  } else {
    parent->last = last;
  }
  if (MergeableText(last, after)) xmlTextMerge(last, after);
  if (MergeableText(before, first)) {
    xmlTextMerge(before, first);
    return before;
  }
  return first;
}

// Replaces entity references in element content, walking in document order without recursion.
// Replacement content is walked too, so nested references expand.
void ExpandEntityReferences(xmlDoc* doc, const xmlDoc* entities) {
  size_t visited = 0;
  xmlNode* node = xmlDocGetRootElement(doc);
  while (node) {
    if (++visited > kMaxExpandedNodes) {
      throw ConverterError(E_FAIL, "entity expansion is too large");
    }
    if (node->type == XML_ENTITY_REF_NODE) {
      node = Splice(node, ReplacementFor(doc, entities, node));
    } else if (node->type == XML_ELEMENT_NODE && node->children) {
      node = node->children;
    } else {
      node = NextAfterSubtree(node);
    }
  }
}

}  // namespace

OwnedXmlDoc CopyAsDocument(const NodeRef& ref) {
  const xmlDoc* source = ref.doc.get();
  OwnedXmlDoc copy;
  if (ref.node->type == XML_DOCUMENT_NODE) {
    copy.reset(xmlCopyDoc(ref.doc.get(), 1));
    if (!copy) throw std::bad_alloc();
  } else if (ref.node->type == XML_ELEMENT_NODE) {
    copy.reset(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
    if (!copy) throw std::bad_alloc();
    if (source->URL) copy->URL = xmlStrdup(source->URL);
    xmlNode* root = xmlDocCopyNode(ref.node, copy.get(), 1);
    if (!root) throw std::bad_alloc();
    xmlDocSetRootElement(copy.get(), root);
  } else {
    throw ConverterError(E_INVALIDARG, "only a document or an element can be used here");
  }
  // Entities are looked up in the original: only there do they hold their parsed content.
  if (source->intSubset && source->intSubset->entities) ExpandEntityReferences(copy.get(), source);
  return copy;
}

}  // namespace kpx
