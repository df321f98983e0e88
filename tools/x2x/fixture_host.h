// The fixture host: COM objects that play the host application and its pages for x2x and the
// tests, answering from a HostData (a host file) and recording what the library tells them.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kpx/host.h"
#include "x2x/host_data.h"

namespace x2x {

// The switch-to-design question as the library asks it through the page's window.
struct SwitchQuestion {
  std::u16string caption;
  std::u16string text;
  std::u16string yesLabel;
  std::u16string noLabel;
  std::u16string dontShowAgainLabel;
};

struct SwitchAnswer {
  bool yes = false;
  bool dontShowAgain = false;
};

using SwitchAnswerSource = std::function<SwitchAnswer(const SwitchQuestion&)>;

// A message the library delivered to the host message window.
struct HostMessage {
  LONG kind = 0;
  std::u16string text;
};

// Everything the fixture objects share. The objects hold it by shared_ptr, so it lives as long as
// any of them, whatever order the library releases them in.
struct HostState {
  HostData data;  // options and project values take the library's writes
  SwitchAnswerSource answer;
  std::vector<HostMessage> messages;
  std::vector<SwitchQuestion> questions;
  std::vector<std::pair<std::u16string, std::u16string>> optionReads;  // (section, name) asked
  // The live page and component objects, keyed by (page index, component index; -1 for the page),
  // so that the library always meets the same object for the same component. Not owning: each
  // object removes itself when it goes.
  std::map<std::pair<size_t, int>, HostPageModel*> models;
};

class FixtureHost {
 public:
  // Registers the fixture formatter class (process-wide, CLSID_HostFormatter).
  FixtureHost(HostData data, SwitchAnswerSource answer);
  FixtureHost(const FixtureHost&) = delete;
  FixtureHost& operator=(const FixtureHost&) = delete;

  // The application object handed to initialize.
  IDispatch* Application() const;

  // True when the library holds no page or component object.
  bool Idle() const { return state_->models.empty(); }
  // Starts over with other data, as a new run would, keeping the application object: the
  // library's writes, the messages, questions and option reads go. Only when Idle(): a page or
  // component object still held would read the new data in place of its own.
  void Reset(HostData data);

  size_t PageCount() const { return state_->data.pages.size(); }
  // The page with exactly this name.
  std::optional<size_t> FindPage(std::u16string_view name) const;
  // The page object (HostPageModel and HostPageDocument).
  ComPtr<IDispatch> Page(size_t index) const;
  // A component of a page by identifier (HostPageModel); null when the page has none such.
  ComPtr<IDispatch> Component(size_t page, LONG id) const;

  const std::vector<HostMessage>& Messages() const { return state_->messages; }
  const std::vector<SwitchQuestion>& Questions() const { return state_->questions; }
  // Every option the library asked for, in order.
  const std::vector<std::pair<std::u16string, std::u16string>>& OptionReads() const {
    return state_->optionReads;
  }
  // The data with the library's writes (options, project values) applied.
  const HostData& Data() const { return state_->data; }

 private:
  std::shared_ptr<HostState> state_;
  ComPtr<HostApplication> application_;
};

// Registers (again) the fixture formatter with the class table.
void RegisterFixtureFormatter();

}  // namespace x2x
