// Host services over the host's interfaces.
#include "host/host_services.h"

#include <string>

#include "base/ascii_case.h"
#include "com/bstr.h"
#include "host/host_text_format.h"

namespace kpx {

namespace {

constexpr size_t kMessageLength = 1023;  // a formatted message: 1024 characters with the end
constexpr size_t kPositionLength = 127;  // the position text: 128 characters with the end

std::u16string Lowered(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiToLower(c);
  return out;
}

std::u16string Decimal(LONG value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::optional<std::u16string> HostServices::ReadOption(std::u16string_view section,
                                                       std::u16string_view name) const {
  if (!application_) return std::nullopt;
  ComPtr<IUnknown> object;
  if (FAILED(application_->GetOptions(object.Put())) || !object) return std::nullopt;
  ComPtr<HostOptions> options = object.As<HostOptions>();
  if (!options) return std::nullopt;
  Bstr section_text(section), name_text(name), value;
  if (options->ReadOption(section_text.Get(), name_text.Get(), value.Put()) != S_OK) {
    return std::nullopt;
  }
  return value.Str();
}

void HostServices::WriteOption(std::u16string_view section, std::u16string_view name,
                               std::u16string_view value) const {
  if (!application_) return;
  ComPtr<IUnknown> object;
  if (FAILED(application_->GetOptions(object.Put())) || !object) return;
  ComPtr<HostOptions> options = object.As<HostOptions>();
  if (!options) return;
  Bstr section_text(section), name_text(name), value_text(value);
  options->WriteOption(section_text.Get(), name_text.Get(), value_text.Get());
}

void HostServices::DeliverMessage(LONG kind, std::u16string_view text) const {
  if (!application_) return;
  ComPtr<HostProject> project;
  if (SUCCEEDED(application_->GetProject(project.Put())) && project) {
    ComPtr<HostProjectSettings> settings;
    if (SUCCEEDED(project->GetSettings(settings.Put())) && settings) {
      Bstr key(u"showSyncDlg"), value;
      if (SUCCEEDED(settings->GetValue(key.Get(), value.Put())) && !Lowered(value.View()).empty()) {
        return;
      }
    }
  }
  ComPtr<HostMessageWindow> window;
  if (FAILED(application_->GetMessageWindow(window.Put())) || !window) return;
  Bstr message(text);
  window->AddMessage(kind, message.Get());
}

std::optional<std::u16string> HostServices::Localize(std::u16string_view key) const {
  if (!application_) return std::nullopt;
  ComPtr<IUnknown> object;
  if (FAILED(application_->GetLocalizer(object.Put())) || !object) return std::nullopt;
  ComPtr<HostLocalizer> localizer = object.As<HostLocalizer>();
  if (!localizer) return std::nullopt;
  Bstr key_text(key), text;
  if (FAILED(localizer->GetMessage(key_text.Get(), text.Put())) || text.IsNull()) {
    return std::nullopt;
  }
  return text.Str();
}

void HostServices::DeliverPositionMessage(std::u16string_view key, bool is_error, LONG line,
                                          LONG column,
                                          std::initializer_list<std::u16string_view> args) const {
  std::u16string format = Localize(key).value_or(std::u16string(key));
  std::u16string message = FormatHostText(format, args, kMessageLength);
  constexpr std::u16string_view kPositionKey = u"KPProject_Synchronize_Pos";
  std::u16string position_format = Localize(kPositionKey).value_or(std::u16string(kPositionKey));
  std::u16string line_text = Decimal(line), column_text = Decimal(column);
  std::u16string position =
      FormatHostText(position_format, {line_text, column_text}, kPositionLength);
  message += u' ';
  message += position;
  DeliverMessage(is_error ? MessageError : MessageWarning, message);
}

bool HostServices::AskSwitchToDesign(IUnknown* page) const {
  constexpr std::u16string_view kOption = u"SwitchToDesignOnError";
  std::u16string preset = ReadOption(kSectionEditor, kOption).value_or(u"");
  if (preset == u"always") return true;
  if (preset == u"never") return false;

  if (!page) return false;
  ComPtr<IUnknown> holder(page);
  ComPtr<HostPageModel> model = holder.As<HostPageModel>();
  if (!model) return false;
  ComPtr<HostView> view;
  if (FAILED(model->GetView(view.Put())) || !view) return false;
  ComPtr<HostWindow> window;
  if (FAILED(view->GetWindow(window.Put())) || !window) return false;

  auto text = [this](std::u16string_view key) {
    return Bstr(Localize(key).value_or(std::u16string(key)));
  };
  Bstr caption = text(u"XX_AskUserSwitchToDMCaption");
  Bstr question = text(u"XX_AskUserSwitchToDM");
  Bstr yes_label = text(u"Button_Yes");
  Bstr no_label = text(u"Button_No");
  Bstr dont_show = text(u"Dialog_Project_DontShowAgain");
  VARIANT_BOOL yes = VARIANT_FALSE;  // No has the focus: a window that answers nothing says No
  VARIANT_BOOL remember = VARIANT_FALSE;
  if (FAILED(window->AskSwitchToDesign(caption.Get(), question.Get(), yes_label.Get(),
                                       no_label.Get(), dont_show.Get(), &yes, &remember))) {
    return false;
  }
  if (remember) WriteOption(kSectionEditor, kOption, yes ? u"always" : u"never");
  return yes != VARIANT_FALSE;
}

}  // namespace kpx
