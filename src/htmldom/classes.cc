// Entry of the HTML document stand-in in the class table.
#include "htmldom/classes.h"

#include <mutex>

#include "base/status.h"

namespace kpx {

void RegisterHtmlDomClasses() {
  static std::once_flag once;
  // A failure (out of memory) throws, so that the next call tries again.
  std::call_once(once,
                 [] { ThrowIfFailed(KpxRegisterClass(CLSID_HTMLDocument, &CreateHTMLDocument)); });
}

}  // namespace kpx
