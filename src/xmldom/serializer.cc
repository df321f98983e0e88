// The `xml` of a node, written by libxml2's serializer.
#include "xmldom/serializer.h"

#include <libxml/xmlsave.h>

#include <memory>

#include "base/status.h"
#include "xmldom/error_capture.h"
#include "xmldom/strings.h"

namespace kpx {

namespace {

struct BufferFree {
  void operator()(xmlBuffer* buffer) const { xmlBufferFree(buffer); }
};

// The declaration a document had in its source (libxml2 records standalone -1 when there was
// none, -2 when the declaration did not say).
std::string DeclarationOf(const xmlDoc* doc) {
  if (doc->standalone == -1) return {};
  std::string decl = "<?xml version=\"";
  decl += doc->version ? XmlView(doc->version) : "1.0";
  decl += '"';
  if (doc->standalone == 1) decl += " standalone=\"yes\"";
  if (doc->standalone == 0) decl += " standalone=\"no\"";
  decl += "?>\n";
  return decl;
}

std::string WriteTree(const xmlNode* node) {
  ErrorCapture capture;  // a failed conversion is told by status, never on standard error
  std::unique_ptr<xmlBuffer, BufferFree> buffer(xmlBufferCreate());
  if (!buffer) throw std::bad_alloc();
  // UTF-8 output leaves every character as it is; only markup characters are escaped.
  xmlSaveCtxt* save = xmlSaveToBuffer(buffer.get(), "UTF-8", XML_SAVE_NO_DECL);
  if (!save) throw std::bad_alloc();
  const long written = xmlSaveTree(save, const_cast<xmlNode*>(node));
  const int closed = xmlSaveClose(save);
  if (written < 0 || closed < 0) {
    const std::string reason = capture.FirstLine();
    throw ConverterError(E_FAIL, reason.empty() ? "the node could not be written" : reason);
  }
  return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                     static_cast<size_t>(xmlBufferLength(buffer.get())));
}

}  // namespace

std::string SerializeNode(const xmlNode* node) {
  switch (node->type) {
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE: {
      const auto* doc = reinterpret_cast<const xmlDoc*>(node);
      std::string text = DeclarationOf(doc);
      if (doc->children) text += WriteTree(node);
      return text;
    }
    case XML_ATTRIBUTE_NODE: {
      // libxml2 writes an attribute as it appears in a start tag, after a space.
      std::string text = WriteTree(node);
      if (!text.empty() && text.front() == ' ') text.erase(0, 1);
      return text;
    }
    case XML_ENTITY_REF_NODE: {
      // Appended piece by piece: GCC 12 reports a false -Wrestrict overlap for "&" + string.
      std::string text = "&";
      text += XmlView(node->name);
      text += ';';
      return text;
    }
    default:
      return WriteTree(node);
  }
}

}  // namespace kpx
