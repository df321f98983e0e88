// How the XML stand-in's objects hold a parsed tree: shared ownership of the libxml2 document, a
// reference from every node object to its document object, and the private interface through
// which the stand-in recognizes objects it made itself.
#pragma once

#include <libxml/tree.h>

#include <memory>

#include "kpx/msxml.h"

namespace kpx {

// A parsed libxml2 document shared by the document object and every node taken from it, so that
// a reload replaces the document object's tree without freeing one that a node still shows.
using XmlDocHandle = std::shared_ptr<xmlDoc>;

// Takes ownership of doc (freed with xmlFreeDoc when the last holder lets go); throws
// std::bad_alloc for a null doc.
XmlDocHandle AdoptXmlDoc(xmlDoc* doc);

// A new document with no content, as a document is before anything loads or after a failed load.
XmlDocHandle NewEmptyXmlDoc();

// One node of a parsed tree, with what keeps it alive. Attributes are held as their xmlAttr cast
// to xmlNode (libxml2 gives both the same leading fields).
struct NodeRef {
  ComPtr<IXMLDOMDocument> owner;  // the document object the node came from
  XmlDocHandle doc;               // the tree that holds node
  xmlNode* node = nullptr;
};

KPX_INTERFACES_BEGIN

// Answered only by the stand-in's own node and document objects.
struct IXmlNodeSource : IUnknown {
  using Base = IUnknown;
  static constexpr IID kIID = {
      0x6B0E3C52, 0x4F1D, 0x4E8A, {0x9C, 0x27, 0x5D, 0x8B, 0x1A, 0x3F, 0x7E, 0x04}};
  virtual NodeRef GetNodeRef() = 0;
};

KPX_INTERFACES_END

// The node behind an object of the stand-in, or a NodeRef with a null node when the object was
// made elsewhere (or is null).
NodeRef NodeRefOf(IUnknown* object);

}  // namespace kpx
