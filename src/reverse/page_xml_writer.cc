// The page XML writer on its own, and what it reads from the host.
#include "reverse/page_xml_writer.h"

#include "base/ascii_case.h"
#include "com/bstr.h"
#include "host/page_model.h"
#include "markup/attribute_escaping.h"
#include "markup/document_scanner.h"
#include "reverse/edit_list_session.h"
#include "reverse/scanning.h"
#include "reverse/writer_pass.h"

namespace kpx {

namespace {

// A host whose parent chain runs longer than this has a loop in it.
constexpr int kDeepestParentChain = 4096;

std::u16string Lower(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiToLower(c);
  return out;
}

}  // namespace

ComPtr<HostPageModel> FindPage(IUnknown* host) {
  ComPtr<IUnknown> object(host);
  ComPtr<HostPageModel> model = object.As<HostPageModel>();
  for (int depth = 0; model && depth < kDeepestParentChain; ++depth) {
    if (model.As<HostPageDocument>()) return model;
    ComPtr<HostPageModel> parent;
    if (FAILED(model->GetParent(parent.Put()))) return {};
    model = std::move(parent);
  }
  return {};
}

PageSettings ReadPageSettings(HostPageModel* page) {
  PageSettings settings;
  if (!page) return settings;
  ComPtr<HostProject> project;
  if (FAILED(page->GetProject(project.Put())) || !project) return settings;
  ComPtr<HostProjectSettings> project_settings;
  if (SUCCEEDED(project->GetSettings(project_settings.Put())) && project_settings) {
    Bstr name(u"publishTemplate"), value;
    if (SUCCEEDED(project_settings->GetValue(name.Get(), value.Put()))) {
      settings.publish_template = Lower(value.View()) == u"true";
    }
  }
  PageModelReader reader;
  settings.site_language = reader.ProjectValue(project.Get(), u"_siteLanguage").value_or(u"");
  return settings;
}

void WritePageXml(TextEditList& list, std::u16string_view text, IUnknown* host, IComponentIDs* ids,
                  const PageXmlSink& sink) {
  const PageSettings settings = ReadPageSettings(FindPage(host).Get());
  SetDoubleEscapeQuotes(settings.publish_template);
  // Values are read as the text holds them: the writer copies nothing the tag parser escaped.
  ScopedAttributeEscapingOff raw_values;
  OutputRoom room(list, text.size());
  PageXmlOutput output(text, room.Text());
  WriterPass pass(text, host, ids, settings, output);
  DocumentScanner scanner(ScannableText(text));
  scanner.set_record_repairs(false);
  for (;;) {
    if (SkipPlainTextBefore(scanner, true)) pass.PassText();
    const MarkupItem kind = scanner.NextItem();
    if (kind == MarkupItem::kEnd) break;
    if (kind == MarkupItem::kTag) {
      pass.Tag(scanner.Tag(), scanner.TagStart(), scanner.ItemEnd());
    } else {
      pass.Item(kind, scanner);
    }
  }
  pass.Finish();
  sink(pass.TakeRoot(), room.Text());
}

}  // namespace kpx
