// The fixture host's application object and the services it hands out: options, localizer,
// message window, block lookup and component-type registry.
#include <string_view>

#include "base/ascii_case.h"
#include "com/com_object.h"
#include "x2x/fixture_objects.h"

namespace x2x {

namespace {

// Options by section and name; writes stay in memory for the rest of the run.
class FixtureOptions final : public kpx::DispatchObject<HostOptions> {
 public:
  explicit FixtureOptions(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  HRESULT ReadOption(BSTR section, BSTR name, BSTR* value) override {
    if (!value) return E_POINTER;
    *value = nullptr;
    state_->optionReads.emplace_back(kpx::BstrView(section), kpx::BstrView(name));
    auto it = state_->data.options.find(std::u16string(kpx::BstrView(section)));
    if (it == state_->data.options.end()) return S_FALSE;
    return OutText(Lookup(it->second, name), value);
  }

  HRESULT WriteOption(BSTR section, BSTR name, BSTR value) override {
    state_->data
        .options[std::u16string(kpx::BstrView(section))][std::u16string(kpx::BstrView(name))] =
        std::u16string(kpx::BstrView(value));
    return S_OK;
  }

 private:
  std::shared_ptr<HostState> state_;
};

// Message texts by key; an unknown key gives S_FALSE and null.
class FixtureLocalizer final : public kpx::DispatchObject<HostLocalizer> {
 public:
  explicit FixtureLocalizer(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  HRESULT GetMessage(BSTR key, BSTR* text) override {
    return OutText(Lookup(state_->data.messages, key), text);
  }

 private:
  std::shared_ptr<HostState> state_;
};

// Collects every message, whatever the project's settings say: deciding whether to deliver is
// the library's business, not the window's.
class FixtureMessageWindow final : public kpx::DispatchObject<HostMessageWindow> {
 public:
  explicit FixtureMessageWindow(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  HRESULT AddMessage(LONG kind, BSTR text) override {
    state_->messages.push_back({kind, std::u16string(kpx::BstrView(text))});
    return S_OK;
  }

 private:
  std::shared_ptr<HostState> state_;
};

class FixtureApplication final : public kpx::DispatchObject<HostApplication> {
 public:
  explicit FixtureApplication(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  HRESULT GetProject(HostProject** project) override {
    return OutObject(MakeFixtureProject(state_), project);
  }

  HRESULT GetMessageWindow(HostMessageWindow** window) override {
    return OutObject(MakeAs<HostMessageWindow, FixtureMessageWindow>(state_), window);
  }

  HRESULT GetOptions(IUnknown** options) override {
    auto object = MakeAs<HostOptions, FixtureOptions>(state_);
    return OutObject(ComPtr<IUnknown>(object.Get()), options);
  }

  HRESULT GetLocalizer(IUnknown** localizer) override {
    auto object = MakeAs<HostLocalizer, FixtureLocalizer>(state_);
    return OutObject(ComPtr<IUnknown>(object.Get()), localizer);
  }

  // The first answer whose name matches (ASCII case aside) and whose given states equal the
  // arguments; -1 and -1 when none does.
  HRESULT LookupTemplateBlock(BSTR name, LONG state1, LONG state2, LONG* result1,
                              LONG* result2) override {
    if (!result1 || !result2) return E_POINTER;
    *result1 = -1;
    *result2 = -1;
    for (const BlockAnswer& answer : state_->data.blocks) {
      if (!kpx::EqualsIgnoringAsciiCase(answer.name, kpx::BstrView(name))) continue;
      if (answer.state1 && *answer.state1 != state1) continue;
      if (answer.state2 && *answer.state2 != state2) continue;
      *result1 = answer.result1;
      *result2 = answer.result2;
      break;
    }
    return S_OK;
  }

  HRESULT GetComponentClass(BSTR typeName, VARIANT_BOOL* known, VARIANT_BOOL* container,
                            VARIANT_BOOL* simple, VARIANT_BOOL* block,
                            BSTR* canonicalName) override {
    if (!state_->data.componentTypes) return E_NOTIMPL;
    if (!known || !container || !simple || !block || !canonicalName) return E_POINTER;
    const std::u16string key = kpx::AsciiLowered(kpx::BstrView(typeName));
    auto it = state_->data.componentTypes->find(key);
    const ComponentTypeData* type =
        it == state_->data.componentTypes->end() ? nullptr : &it->second;
    auto flag = [](bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; };
    *known = flag(type != nullptr);
    *container = flag(type && type->container);
    *simple = flag(type && type->simple);
    *block = flag(type && type->block);
    HRESULT hr = OutText(type ? &type->canonicalName : nullptr, canonicalName);
    return FAILED(hr) ? hr : S_OK;
  }

 private:
  std::shared_ptr<HostState> state_;
};

}  // namespace

ComPtr<HostApplication> MakeFixtureApplication(const std::shared_ptr<HostState>& state) {
  return MakeAs<HostApplication, FixtureApplication>(state);
}

}  // namespace x2x
