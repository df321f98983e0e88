// Shared ownership of parsed documents and recognition of the stand-in's own node objects.
#include "xmldom/node_ref.h"

#include <new>

#include "xmldom/xml_library.h"

namespace kpx {

XmlDocHandle AdoptXmlDoc(xmlDoc* doc) {
  if (!doc) throw std::bad_alloc();
  return XmlDocHandle(doc, &xmlFreeDoc);  // frees doc itself if the count cannot be made
}

XmlDocHandle NewEmptyXmlDoc() {
  InitXmlParser();
  xmlDoc* doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
  if (!doc) throw std::bad_alloc();
  doc->standalone = -1;  // no declaration to write back
  return AdoptXmlDoc(doc);
}

NodeRef NodeRefOf(IUnknown* object) {
  if (!object) return {};
  ComPtr<IXmlNodeSource> source;
  if (FAILED(object->QueryInterface(IXmlNodeSource::kIID, source.PutVoid())) || !source) return {};
  return source->GetNodeRef();
}

}  // namespace kpx
