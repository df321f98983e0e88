// Reads of the host's page model.
#include "host/page_model.h"

#include <algorithm>

#include "base/ascii_case.h"
#include "com/bstr.h"

namespace kpx {

ComPtr<HostPageModel> PageModelReader::ModelOf(IUnknown* object) {
  if (!object) return {};
  return ComPtr<IUnknown>(object).As<HostPageModel>();
}

LONG PageModelReader::Id(HostPageModel* model) {
  LONG id = 0;
  if (model) Check(model->GetId(&id));
  return id;
}

std::u16string PageModelReader::Name(HostPageModel* model) {
  Bstr name;
  if (model && Check(model->GetName(name.Put()))) return name.Str();
  return {};
}

std::u16string PageModelReader::TypeName(HostPageModel* model) {
  Bstr type;
  if (model && Check(model->GetTypeName(type.Put()))) return type.Str();
  return {};
}

std::vector<ComPtr<HostPageModel>> PageModelReader::Children(HostPageModel* model) {
  std::vector<ComPtr<HostPageModel>> children;
  LONG count = 0;
  if (!model || !Check(model->GetComponentCount(&count))) return children;
  for (LONG i = 0; i < count; ++i) {
    ComPtr<HostPageModel> child;
    if (Check(model->GetComponent(i, child.Put())) && child) children.push_back(child);
  }
  return children;
}

ComPtr<HostPageModel> PageModelReader::ChildByName(HostPageModel* model, std::u16string_view name) {
  ComPtr<HostPageModel> child;
  if (!model) return child;
  Bstr key(name);
  if (!Check(model->FindComponentByName(key.Get(), child.Put()))) child = nullptr;
  return child;
}

ComPtr<HostPageModel> PageModelReader::FindAtAnyDepth(HostPageModel* model,
                                                      std::u16string_view name) {
  // Depth first, children in order, with a stack of pending siblings.
  std::vector<ComPtr<HostPageModel>> pending = Children(model);
  std::reverse(pending.begin(), pending.end());
  while (!pending.empty()) {
    ComPtr<HostPageModel> next = pending.back();
    pending.pop_back();
    if (EqualsIgnoringAsciiCase(Name(next.Get()), name)) return next;
    std::vector<ComPtr<HostPageModel>> children = Children(next.Get());
    for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
  }
  return {};
}

std::optional<std::u16string> PageModelReader::Property(HostPageModel* model,
                                                        std::u16string_view name) {
  Bstr key(name), value;
  if (!model || !Check(model->GetProperty(key.Get(), value.Put())) || value.IsNull()) {
    return std::nullopt;
  }
  return value.Str();
}

std::optional<std::u16string> PageModelReader::TypeProperty(HostPageModel* model,
                                                            std::u16string_view name) {
  Bstr key(name), value;
  if (!model || !Check(model->GetTypeProperty(key.Get(), value.Put())) || value.IsNull()) {
    return std::nullopt;
  }
  return value.Str();
}

ComPtr<HostProject> PageModelReader::Project(HostPageModel* model) {
  ComPtr<HostProject> project;
  if (model && !Check(model->GetProject(project.Put()))) project = nullptr;
  return project;
}

std::optional<std::u16string> PageModelReader::ProjectValue(HostProject* project,
                                                            std::u16string_view name) {
  Bstr key(name), value;
  if (!project || !Check(project->GetValue(key.Get(), value.Put())) || value.IsNull()) {
    return std::nullopt;
  }
  return value.Str();
}

std::optional<std::u16string> PageModelReader::ItemProperty(HostProject* project,
                                                            std::u16string_view item,
                                                            std::u16string_view property) {
  if (!project) return std::nullopt;
  Bstr item_name(item);
  ComPtr<HostProjectItem> found;
  if (!Check(project->GetItem(item_name.Get(), found.Put())) || !found) return std::nullopt;
  Bstr key(property), value;
  if (found->GetProperty(key.Get(), value.Put()) != S_OK || value.IsNull()) return std::nullopt;
  return value.Str();
}

std::optional<std::u16string> PageModelReader::Translation(HostProject* project,
                                                           std::u16string_view language,
                                                           std::u16string_view name) {
  if (!project) return std::nullopt;
  Bstr lang(language), key(name), text;
  if (!Check(project->GetTranslation(lang.Get(), key.Get(), text.Put())) || text.IsNull()) {
    return std::nullopt;
  }
  return text.Str();
}

}  // namespace kpx
