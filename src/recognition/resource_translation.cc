// The translation step of res resources.
#include "recognition/resource_translation.h"

namespace kpx {

namespace {

bool OnlyWhiteSpace(std::u16string_view text) {
  for (char16_t c : text) {
    if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r') return false;
  }
  return true;
}

}  // namespace

void TranslateResource(ParseContext& context, PageNode& resource) {
  if (const NodeString* show = context.Root().attributes.Find(u"kpsShowTranslations")) {
    resource.attributes.Set(u"kpsShowTranslations", *show);
  }
  const PageNode* holder = &resource;
  while (holder && !holder->host) holder = holder->Parent();
  if (!holder) return;
  PageModelReader& model = context.Model();
  ComPtr<HostProject> project = model.Project(holder->host.Get());
  if (!project) return;
  const std::u16string language = model.ProjectValue(project.Get(), u"siteLanguage").value_or(u"");
  std::optional<std::u16string> text =
      model.Translation(project.Get(), language, resource.attributes.Get(u"name"));
  if (!text) return;
  std::u16string shown;
  shown.reserve(text->size());
  for (size_t i = 0; i < text->size(); ++i) {
    if ((*text)[i] == u'\\' && i + 1 < text->size() && (*text)[i + 1] == u'n') {
      shown += u"<br>";
      ++i;
    } else {
      shown += (*text)[i];
    }
  }
  resource.attributes.Set(u"kpsText", shown);
  if (!text->empty() && OnlyWhiteSpace(*text)) {
    resource.attributes.Set(u"kpsBlockIsWhiteSpace", u"true");
  }
}

}  // namespace kpx
