// Host values and block answers for the pre-patch pass.
#include "forward/pre_patch_host.h"

#include "com/bstr.h"
#include "host/page_model.h"

namespace kpx {

namespace {

void SaveValue(HostProject* project, std::u16string_view name, std::u16string_view value) {
  Bstr key(name), text(value);
  project->SetValue(key.Get(), text.Get());  // a host that keeps nothing is no failure here
}

}  // namespace

PrePatchSettings ReadPrePatchSettings(IDispatch* page, int option) {
  PrePatchSettings settings;
  settings.option = option;
  ComPtr<HostPageModel> model = PageModelReader::ModelOf(page);
  if (!model) return settings;
  PageModelReader reader;
  ComPtr<HostProject> project = reader.Project(model.Get());
  if (!project) return settings;
  const std::u16string dynamic =
      reader.ProjectValue(project.Get(), u"useDynamicStyles").value_or(u"");
  std::u16string language;
  if (option & kSavedHostValues) {
    settings.style = reader.ProjectValue(project.Get(), u"_defaultStyle").value_or(u"");
    language = reader.ProjectValue(project.Get(), u"_siteLanguage").value_or(u"");
  } else {
    settings.style = reader.ProjectValue(project.Get(), u"defaultStyle").value_or(u"");
    language = reader.ProjectValue(project.Get(), u"siteLanguage").value_or(u"");
    SaveValue(project.Get(), u"_defaultStyle", settings.style);
    SaveValue(project.Get(), u"_siteLanguage", language);
    SaveValue(project.Get(), u"_useDynamicStyles", dynamic);
  }
  settings.language = language.substr(0, language.find(u'-'));
  return settings;
}

void HostBlockLookup::Lookup(std::u16string_view name, LONG state1, LONG state2, LONG* result1,
                             LONG* result2) {
  *result1 = -1;
  *result2 = -1;
  if (!application_) return;
  Bstr text(name);
  LONG first = -1, second = -1;
  if (SUCCEEDED(application_->LookupTemplateBlock(text.Get(), state1, state2, &first, &second))) {
    *result1 = first;
    *result2 = second;
  }
}

PrePatchResult RunPrePatch(const ConverterContext& context, IDispatch* page, BorrowedText text,
                           int option) {
  PrePatchSettings settings = ReadPrePatchSettings(page, option);
  HostBlockLookup lookup(context.application);
  settings.blocks = &lookup;
  return PrePatch(text, settings);
}

}  // namespace kpx
