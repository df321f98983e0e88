#include "textutil/xhtml_content_model.h"

#include "base/ascii_case.h"
#include "markup/element_names.h"

namespace kpx {

bool IsXhtmlInlineContentName(std::u16string_view name) {
  return IsInlineContentName(name) || EqualsIgnoringAsciiCase(name, u"a");
}

bool MayContainInXhtml(std::u16string_view parent, std::u16string_view child) {
  if (!IsXhtmlInlineContentName(parent)) return true;
  if (!IsXhtmlInlineContentName(child)) return false;
  return !(EqualsIgnoringAsciiCase(parent, u"p") && EqualsIgnoringAsciiCase(child, u"p"));
}

}  // namespace kpx
