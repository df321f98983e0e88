#include "xmldom/xml_library.h"

#include <libexslt/exslt.h>
#include <libxml/parser.h>
#include <libxslt/xslt.h>

#include <mutex>

namespace kpx {

void InitXmlParser() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

void InitXslt() {
  InitXmlParser();
  static std::once_flag once;
  std::call_once(once, [] {
    xsltInit();
    exsltRegisterAll();
  });
}

}  // namespace kpx
