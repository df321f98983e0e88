// Entry of the HTML document stand-in in the class table.
#include "htmldom/classes.h"

#include <mutex>

namespace kpx {

void RegisterHtmlDomClasses() {
  static std::once_flag once;
  std::call_once(once, [] { KpxRegisterClass(CLSID_HTMLDocument, &CreateHTMLDocument); });
}

}  // namespace kpx
