// The page XML writer of the back transformation: one pass over a template with the document
// scanner (writer_pass.h) that writes the page XML as it goes: CDATA sections around literal
// text, elements for components, blocks, placeholders and resources.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "kpx/converter.h"
#include "kpx/host.h"
#include "markup/text_edit_list.h"

namespace kpx {

// The namespace every prefix on the root is bound to.
inline constexpr std::u16string_view kBackPrefixNamespace = u"urn:kpxhtml2xml:prefix";

struct PageSettings {
  bool publish_template = false;  // the page settings' "publishTemplate" is "true"
  std::u16string site_language;   // the project value "_siteLanguage"
};

// The page that host belongs to (host itself for a page; the first object up its parent chain
// that answers HostPageDocument), or null.
ComPtr<HostPageModel> FindPage(IUnknown* host);

// Reads the settings the writer uses from the page and its project.
PageSettings ReadPageSettings(HostPageModel* page);

// Receives the page XML: the root's start tag (empty for a fragment) and what follows it, both
// valid only during the call, so that a caller that copies the text anyway joins them there.
using PageXmlSink = std::function<void(std::u16string_view root, std::u16string_view rest)>;

// Writes text as page XML and hands it to sink. host is the page, or for a fragment the component
// it belongs to: the root element "Page" is written only when host is a page. With ids, each tag
// bound to a host component that has an identifier adds it there. Sets the process-wide quote
// double-escaping switch from the page's "publishTemplate" setting and leaves it so. text is
// read in place and must be followed by a 0 (a system string's text, or a whole string); the
// page XML is written into the room of list's text, which keeps it for the next call.
void WritePageXml(TextEditList& list, std::u16string_view text, IUnknown* host, IComponentIDs* ids,
                  const PageXmlSink& sink);

}  // namespace kpx
