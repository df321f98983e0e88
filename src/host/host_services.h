// The host's services as the converter uses them: options, localized texts, the message window and
// the switch-to-design question. Every call tolerates a missing host: a host call that fails or
// yields nothing counts as "not available" (the option keeps its default, the message is dropped,
// the lookup yields nothing).
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "kpx/host.h"

namespace kpx {

class HostServices {
 public:
  // application may be null (no host bound): then every service answers "not available".
  explicit HostServices(HostApplication* application) : application_(application) {}

  // Options by section and name; nullopt when the host has none or the value is not set.
  std::optional<std::u16string> ReadOption(std::u16string_view section,
                                           std::u16string_view name) const;
  void WriteOption(std::u16string_view section, std::u16string_view name,
                   std::u16string_view value) const;

  // The single path of every message shown to the user. Dropped when no host is bound or when the
  // project's setting "showSyncDlg" holds any text.
  void DeliverMessage(LONG kind, std::u16string_view text) const;

  // The localized text of a key; nullopt when the host has no localizer or no text for it.
  std::optional<std::u16string> Localize(std::u16string_view key) const;

  // A localized message about a template position: the key's text filled with args (at most 1023
  // characters), a space, and the "KPProject_Synchronize_Pos" text filled with the line and column
  // (at most 127 characters). Delivered as MessageError or MessageWarning. A text the host does not
  // have is shown as its key.
  void DeliverPositionMessage(std::u16string_view key, bool is_error, LONG line, LONG column,
                              std::initializer_list<std::u16string_view> args) const;

  // Asks whether to switch to design mode (the template is out of sync). "SwitchToDesignOnError"
  // = "always" answers Yes and "never" No without asking; otherwise the window of the page's view
  // asks, and a checked "don't show again" stores the answer. No window to ask answers No.
  bool AskSwitchToDesign(IUnknown* page) const;

  HostApplication* application() const { return application_; }

 private:
  HostApplication* application_;
};

// Option sections and names the converter reads.
inline constexpr std::u16string_view kSectionFormatting = u"HTMLFormatting";
inline constexpr std::u16string_view kSectionEditor = u"HTMLEditor";

}  // namespace kpx
