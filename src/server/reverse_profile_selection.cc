// Reverse profile selection and the registry's colour list.
#include "server/reverse_profile_selection.h"

#include "com/variant_holder.h"
#include "host/page_model.h"
#include "registry/registry_store.h"
#include "reverse/template_preprocessor.h"

namespace kpx {

namespace {

constexpr std::u16string_view kColoursKey =
    u"SOFTWARE\\Orvelle\\KeyPlexStudio4\\Options\\HTMLFormatting";

// Loads the document at path; null when it does not load.
ComPtr<IXMLDOMDocument> LoadDocument(std::u16string_view path) {
  ComPtr<IXMLDOMDocument> document;
  if (FAILED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                              document.PutVoid())) ||
      !document) {
    return {};
  }
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (document->load(VariantHolder::Text(path).Ref(), &loaded) != S_OK || loaded == VARIANT_FALSE) {
    return {};
  }
  return document;
}

}  // namespace

void SelectReverseProfile(const ConverterContext& context, ProfileDiagnostics* diagnostics,
                          std::unique_ptr<ReverseProfile>& holder) {
  if (holder && holder->loaded()) return;
  if (!context.application) return;
  const std::u16string file =
      context.Host().ReadOption(kSectionFormatting, u"ReverseConverterProfile").value_or(u"");
  if (file.empty()) {
    context.ReportGated(MessageWarning, u"no reverse converter profile specified");
    return;
  }
  // The template path carries its own separator.
  std::u16string path;
  ComPtr<HostProject> project;
  if (SUCCEEDED(context.application->GetProject(project.Put())) && project) {
    PageModelReader reader;
    path = reader.ItemProperty(project.Get(), u"Grid", u"templatePath").value_or(u"");
  }
  path += file;
  ComPtr<IXMLDOMDocument> document = LoadDocument(path);
  if (document) {
    auto profile = std::make_unique<ReverseProfile>(diagnostics);
    if (profile->Load(document.Get())) {
      holder = std::move(profile);
      return;
    }
  }
  context.ReportGated(MessageError, u"failed to load reverse converter profile");
}

std::vector<std::u16string> ReadRemovedFontColours() {
  std::optional<std::u16string> value;
  try {
    const RegistryStore store = RegistryStore::Load(RegistryStore::DefaultPath());
    value = store.GetValue(RegistryHive::kCurrentUser, kColoursKey, u"RemoveFontTagWithColors");
  } catch (const RegistryError&) {
    // An unreadable store lists no colours: the default applies, as for a missing value.
  }
  if (!value) return RemovedFontColours(std::nullopt);
  return RemovedFontColours(std::u16string_view(*value));
}

}  // namespace kpx
