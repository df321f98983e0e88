// The fixture host's front: builds the shared state and hands out the application and pages.
#include "x2x/fixture_host.h"

#include "x2x/fixture_objects.h"

namespace x2x {

FixtureHost::FixtureHost(HostData data, SwitchAnswerSource answer)
    : state_(std::make_shared<HostState>()) {
  RegisterFixtureFormatter();
  state_->data = std::move(data);
  state_->answer = std::move(answer);
  application_ = MakeFixtureApplication(state_);
}

IDispatch* FixtureHost::Application() const {
  return application_.Get();
}

void FixtureHost::Reset(HostData data) {
  state_->data = std::move(data);
  state_->messages.clear();
  state_->questions.clear();
  state_->optionReads.clear();
}

std::optional<size_t> FixtureHost::FindPage(std::u16string_view name) const {
  for (size_t i = 0; i < state_->data.pages.size(); ++i) {
    if (state_->data.pages[i].name == name) return i;
  }
  return std::nullopt;
}

ComPtr<IDispatch> FixtureHost::Page(size_t index) const {
  if (index >= state_->data.pages.size()) return nullptr;
  return ComPtr<IDispatch>(FixtureModelObject(state_, index, -1).Get());
}

ComPtr<IDispatch> FixtureHost::Component(size_t page, LONG id) const {
  if (page >= state_->data.pages.size()) return nullptr;
  const auto& components = state_->data.pages[page].components;
  for (size_t i = 0; i < components.size(); ++i) {
    if (components[i].id == id) {
      return ComPtr<IDispatch>(FixtureModelObject(state_, page, static_cast<int>(i)).Get());
    }
  }
  return nullptr;
}

}  // namespace x2x
