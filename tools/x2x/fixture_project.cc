// The fixture host's project: values (writable), settings, items with properties, its directory
// and translations by language.
#include "com/com_object.h"
#include "x2x/fixture_objects.h"

namespace x2x {

namespace {

class FixtureProjectSettings final : public kpx::DispatchObject<HostProjectSettings> {
 public:
  explicit FixtureProjectSettings(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  HRESULT GetValue(BSTR name, BSTR* value) override {
    return OutText(Lookup(state_->data.project->settings, name), value);
  }

 private:
  std::shared_ptr<HostState> state_;
};

class FixtureProjectItem final : public kpx::DispatchObject<HostProjectItem> {
 public:
  FixtureProjectItem(std::shared_ptr<HostState> state, std::u16string name)
      : state_(std::move(state)), name_(std::move(name)) {}

  HRESULT GetProperty(BSTR name, BSTR* value) override {
    return OutText(Lookup(state_->data.project->items.at(name_).properties, name), value);
  }

 private:
  std::shared_ptr<HostState> state_;
  std::u16string name_;
};

class FixtureProject final : public kpx::DispatchObject<HostProject> {
 public:
  explicit FixtureProject(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  HRESULT GetValue(BSTR name, BSTR* value) override {
    return OutText(Lookup(Project().values, name), value);
  }

  HRESULT SetValue(BSTR name, BSTR value) override {
    Project().values[std::u16string(kpx::BstrView(name))] = std::u16string(kpx::BstrView(value));
    return S_OK;
  }

  HRESULT GetSettings(HostProjectSettings** settings) override {
    return OutObject(MakeAs<HostProjectSettings, FixtureProjectSettings>(state_), settings);
  }

  HRESULT GetItem(BSTR name, HostProjectItem** item) override {
    if (!item) return E_POINTER;
    *item = nullptr;
    std::u16string key(kpx::BstrView(name));
    if (!Project().items.count(key)) return S_FALSE;
    return OutObject(MakeAs<HostProjectItem, FixtureProjectItem>(state_, key), item);
  }

  HRESULT GetDirectory(BSTR* directory) override {
    return OutText(&Project().directory, directory);
  }

  HRESULT GetTranslation(BSTR language, BSTR name, BSTR* text) override {
    if (!text) return E_POINTER;
    *text = nullptr;
    auto it = Project().translations.find(std::u16string(kpx::BstrView(language)));
    if (it == Project().translations.end()) return S_FALSE;
    return OutText(Lookup(it->second, name), text);
  }

 private:
  ProjectData& Project() { return *state_->data.project; }

  std::shared_ptr<HostState> state_;
};

}  // namespace

ComPtr<HostProject> MakeFixtureProject(const std::shared_ptr<HostState>& state) {
  if (!state->data.project) return nullptr;
  return MakeAs<HostProject, FixtureProject>(state);
}

}  // namespace x2x
