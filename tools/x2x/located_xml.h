// An XML document read with libxml2 that remembers where each element starts, so that messages
// about its content can name the line and column. No DOCTYPE, no entity expansion, no network.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "x2x/text_positions.h"

namespace x2x {

// A file that cannot be used, with a message that names the file (and line and column when the
// fault has a place).
class HostFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class LocatedXml {
 public:
  // Parses UTF-8 bytes (which must outlive the object). Throws HostFileError for text that is not
  // UTF-8, not well-formed, carries a DOCTYPE or declares another encoding.
  LocatedXml(std::string_view bytes, std::string displayName);

  xmlNode* Root() const { return xmlDocGetRootElement(doc_.get()); }

  // Throws HostFileError "NAME:LINE:COL: message" at the start of the element.
  [[noreturn]] void Fail(const xmlNode* element, const std::string& message) const;
  // The position of an element's start tag.
  TextPosition Where(const xmlNode* element) const;
  const std::string& DisplayName() const { return displayName_; }

 private:
  struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
  };

  std::string_view bytes_;
  std::string displayName_;
  TextPositions positions_;
  std::unique_ptr<xmlDoc, DocDeleter> doc_;
  std::unordered_map<const xmlNode*, size_t> starts_;  // element -> offset of its "<"

  friend struct LocatedXmlParse;
};

}  // namespace x2x
