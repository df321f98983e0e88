// The fixture host's pages and components (HostPageModel; pages also HostPageDocument), and the
// view and window through which the library asks the switch-to-design question.
#include <string_view>

#include "base/ascii_case.h"
#include "com/com_object.h"
#include "x2x/fixture_objects.h"

namespace x2x {

namespace {

const std::u16string kPageTypeName = u"Page";

HRESULT OutBool(bool value, VARIANT_BOOL* out) {
  if (!out) return E_POINTER;
  *out = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT OutLong(LONG value, LONG* out) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

class FixtureWindow final : public kpx::DispatchObject<HostWindow> {
 public:
  explicit FixtureWindow(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  // Records the question and answers it from the host's answer source (No without one).
  HRESULT AskSwitchToDesign(BSTR caption, BSTR text, BSTR yesLabel, BSTR noLabel,
                            BSTR dontShowAgainLabel, VARIANT_BOOL* yes,
                            VARIANT_BOOL* dontShowAgain) override {
    if (!yes || !dontShowAgain) return E_POINTER;
    SwitchQuestion question{
        std::u16string(kpx::BstrView(caption)), std::u16string(kpx::BstrView(text)),
        std::u16string(kpx::BstrView(yesLabel)), std::u16string(kpx::BstrView(noLabel)),
        std::u16string(kpx::BstrView(dontShowAgainLabel))};
    state_->questions.push_back(question);
    SwitchAnswer answer = state_->answer ? state_->answer(question) : SwitchAnswer{};
    *yes = answer.yes ? VARIANT_TRUE : VARIANT_FALSE;
    *dontShowAgain = answer.dontShowAgain ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

 private:
  std::shared_ptr<HostState> state_;
};

class FixtureView final : public kpx::DispatchObject<HostView> {
 public:
  explicit FixtureView(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  HRESULT GetWindow(HostWindow** window) override {
    return OutObject(MakeAs<HostWindow, FixtureWindow>(state_), window);
  }

 private:
  std::shared_ptr<HostState> state_;
};

// What pages and components have in common. component_ is -1 for the page itself.
template <class... Extra>
class FixtureModel : public kpx::DispatchObject<HostPageModel, Extra...> {
 public:
  FixtureModel(std::shared_ptr<HostState> state, size_t page, int component)
      : state_(std::move(state)), page_(page), component_(component) {}

  HRESULT GetProject(HostProject** project) override {
    return OutObject(MakeFixtureProject(state_), project);
  }
  HRESULT GetId(LONG* id) override {
    return OutLong(Component() ? Component()->id : Page().id, id);
  }
  HRESULT GetName(BSTR* name) override {
    return OutText(Component() ? &Component()->name : &Page().name, name);
  }
  HRESULT GetParent(HostPageModel** parent) override {
    if (!Component()) return OutObject<HostPageModel>(nullptr, parent);
    return OutObject(FixtureModelObject(state_, page_, Component()->parent), parent);
  }
  HRESULT GetTypeName(BSTR* type) override {
    return OutText(Component() ? &Component()->type : &kPageTypeName, type);
  }
  HRESULT GetElementName(BSTR* element) override {
    return OutText(Component() ? &Component()->elementName : &kPageTypeName, element);
  }
  HRESULT GetIsContainer(VARIANT_BOOL* container) override {
    return OutBool(!Component() || Component()->container, container);
  }
  HRESULT GetComponentCount(LONG* count) override {
    return OutLong(static_cast<LONG>(Children().size()), count);
  }
  HRESULT GetComponent(LONG index, HostPageModel** component) override {
    if (index < 0 || static_cast<size_t>(index) >= Children().size()) {
      return OutObject<HostPageModel>(nullptr, component);
    }
    return OutObject(FixtureModelObject(state_, page_, Children()[index]), component);
  }
  HRESULT FindComponentByName(BSTR name, HostPageModel** component) override {
    for (int child : Children()) {
      if (kpx::EqualsIgnoringAsciiCase(Page().components[child].name, kpx::BstrView(name))) {
        return OutObject(FixtureModelObject(state_, page_, child), component);
      }
    }
    return OutObject<HostPageModel>(nullptr, component);
  }
  HRESULT FindComponentById(LONG id, HostPageModel** component) override {
    const auto& all = Page().components;
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i].id == id) {
        return OutObject(FixtureModelObject(state_, page_, static_cast<int>(i)), component);
      }
    }
    return OutObject<HostPageModel>(nullptr, component);
  }
  HRESULT GetProperty(BSTR name, BSTR* value) override {
    return OutText(Lookup(Component() ? Component()->properties : Page().properties, name), value);
  }
  HRESULT GetTypeProperty(BSTR name, BSTR* value) override {
    return OutText(Component() ? Lookup(Component()->typeProperties, name) : nullptr, value);
  }
  // A component's HTML as the host file gives it; for the page, its template text.
  HRESULT GetHtml(BSTR* html) override {
    if (!Component()) return OutText(&Page().templateText, html);
    return OutText(Component()->html, html);
  }
  HRESULT GetFileName(BSTR* fileName) override { return OutText(Page().fileName, fileName); }
  HRESULT GetDirectory(BSTR* directory) override { return OutText(&Page().directory, directory); }
  HRESULT GetFormatterContext(IUnknown** context) override {
    return OutObject(MakeFormatterContext(state_), context);
  }
  HRESULT GetPage(HostPageModel** page) override {
    return OutObject(FixtureModelObject(state_, page_, -1), page);
  }
  // A component's position as the host file gives it; pages and components without one report
  // none.
  HRESULT GetPosition(LONG* position) override {
    if (!position) return E_POINTER;
    *position = 0;
    if (!Component() || !Component()->position) return S_FALSE;
    *position = *Component()->position;
    return S_OK;
  }
  HRESULT GetView(HostView** view) override {
    return OutObject(MakeAs<HostView, FixtureView>(state_), view);
  }

 protected:
  ~FixtureModel() override { state_->models.erase({page_, component_}); }

  const PageData& Page() const { return state_->data.pages[page_]; }
  const ComponentData* Component() const {
    return component_ < 0 ? nullptr : &Page().components[component_];
  }
  const std::vector<int>& Children() const {
    return Component() ? Component()->children : Page().topLevel;
  }

  std::shared_ptr<HostState> state_;

 private:
  size_t page_;
  int component_;
};

// A page also answers HostPageDocument, which is how the library tells a page from a component.
class FixturePage final : public FixtureModel<HostPageDocument> {
 public:
  FixturePage(std::shared_ptr<HostState> state, size_t page)
      : FixtureModel(std::move(state), page, -1) {}

  // Only text 0, the current template, exists.
  HRESULT GetText(LONG which, BSTR* text) override {
    if (!text) return E_POINTER;
    *text = nullptr;
    if (which != 0) return E_INVALIDARG;
    return OutText(&Page().templateText, text);
  }
};

class FixtureComponent final : public FixtureModel<> {
 public:
  FixtureComponent(std::shared_ptr<HostState> state, size_t page, int component)
      : FixtureModel(std::move(state), page, component) {}
};

}  // namespace

ComPtr<HostPageModel> FixtureModelObject(const std::shared_ptr<HostState>& state, size_t page,
                                         int component) {
  auto key = std::make_pair(page, component);
  if (auto it = state->models.find(key); it != state->models.end()) {
    return ComPtr<HostPageModel>(it->second);
  }
  ComPtr<HostPageModel> object =
      component < 0 ? MakeAs<HostPageModel, FixturePage>(state, page)
                    : MakeAs<HostPageModel, FixtureComponent>(state, page, component);
  state->models[key] = object.Get();
  return object;
}

}  // namespace x2x
