// A small in-memory host for unit tests: options, localized texts, a message window that records,
// a project with values and settings, and a page whose window answers the switch question.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "com/bstr.h"
#include "com/com_object.h"
#include "kpx/host.h"

namespace kpx::testing {

struct HostRecord {
  std::map<std::pair<std::u16string, std::u16string>, std::u16string> options;
  std::map<std::u16string, std::u16string> texts;           // localizer
  std::map<std::u16string, std::u16string> settings;        // project settings
  std::map<std::u16string, std::u16string> project_values;  // project values
  std::vector<std::pair<LONG, std::u16string>> messages;    // what the message window received
  bool has_options = true;
  bool has_localizer = true;
  bool has_project = true;
  // The switch question: the answer, whether "don't show again" is checked, and what was asked.
  bool answer_yes = false;
  bool answer_remember = false;
  int questions_asked = 0;
  std::vector<std::u16string> question_texts;
};

inline HRESULT PutText(std::u16string_view text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = AllocBstr(text);
  return S_OK;
}

class FakeOptions final : public DispatchObject<HostOptions> {
 public:
  explicit FakeOptions(HostRecord* r) : r_(r) {}
  HRESULT ReadOption(BSTR section, BSTR name, BSTR* value) override {
    auto it = r_->options.find({std::u16string(BstrView(section)), std::u16string(BstrView(name))});
    if (it == r_->options.end()) return S_FALSE;
    return PutText(it->second, value);
  }
  HRESULT WriteOption(BSTR section, BSTR name, BSTR value) override {
    r_->options[{std::u16string(BstrView(section)), std::u16string(BstrView(name))}] =
        std::u16string(BstrView(value));
    return S_OK;
  }

 private:
  HostRecord* r_;
};

class FakeLocalizer final : public DispatchObject<HostLocalizer> {
 public:
  explicit FakeLocalizer(HostRecord* r) : r_(r) {}
  HRESULT GetMessage(BSTR key, BSTR* text) override {
    auto it = r_->texts.find(std::u16string(BstrView(key)));
    if (it == r_->texts.end()) {
      *text = nullptr;
      return S_FALSE;
    }
    return PutText(it->second, text);
  }

 private:
  HostRecord* r_;
};

class FakeMessageWindow final : public DispatchObject<HostMessageWindow> {
 public:
  explicit FakeMessageWindow(HostRecord* r) : r_(r) {}
  HRESULT AddMessage(LONG kind, BSTR text) override {
    r_->messages.emplace_back(kind, std::u16string(BstrView(text)));
    return S_OK;
  }

 private:
  HostRecord* r_;
};

class FakeSettings final : public DispatchObject<HostProjectSettings> {
 public:
  explicit FakeSettings(HostRecord* r) : r_(r) {}
  HRESULT GetValue(BSTR name, BSTR* value) override {
    auto it = r_->settings.find(std::u16string(BstrView(name)));
    return PutText(it == r_->settings.end() ? u"" : it->second, value);
  }

 private:
  HostRecord* r_;
};

class FakeProject final : public DispatchObject<HostProject> {
 public:
  explicit FakeProject(HostRecord* r) : r_(r) {}
  HRESULT GetValue(BSTR name, BSTR* value) override {
    auto it = r_->project_values.find(std::u16string(BstrView(name)));
    return PutText(it == r_->project_values.end() ? u"" : it->second, value);
  }
  HRESULT SetValue(BSTR name, BSTR value) override {
    r_->project_values[std::u16string(BstrView(name))] = std::u16string(BstrView(value));
    return S_OK;
  }
  HRESULT GetSettings(HostProjectSettings** settings) override {
    *settings = MakeCom<FakeSettings>(r_).Detach();
    return S_OK;
  }
  HRESULT GetItem(BSTR, HostProjectItem** item) override {
    *item = nullptr;
    return E_FAIL;
  }
  HRESULT GetDirectory(BSTR* directory) override { return PutText(u"", directory); }
  HRESULT GetTranslation(BSTR, BSTR, BSTR* text) override {
    *text = nullptr;
    return S_FALSE;
  }

 private:
  HostRecord* r_;
};

class FakeApplication final : public DispatchObject<HostApplication> {
 public:
  explicit FakeApplication(HostRecord* r) : r_(r) {}
  HRESULT GetProject(HostProject** project) override {
    *project = r_->has_project ? MakeCom<FakeProject>(r_).Detach() : nullptr;
    return r_->has_project ? S_OK : E_FAIL;
  }
  HRESULT GetMessageWindow(HostMessageWindow** window) override {
    *window = MakeCom<FakeMessageWindow>(r_).Detach();
    return S_OK;
  }
  HRESULT GetOptions(IUnknown** options) override {
    *options =
        r_->has_options ? static_cast<HostOptions*>(MakeCom<FakeOptions>(r_).Detach()) : nullptr;
    return r_->has_options ? S_OK : E_FAIL;
  }
  HRESULT GetLocalizer(IUnknown** localizer) override {
    *localizer = r_->has_localizer
                     ? static_cast<HostLocalizer*>(MakeCom<FakeLocalizer>(r_).Detach())
                     : nullptr;
    return r_->has_localizer ? S_OK : E_FAIL;
  }
  HRESULT LookupTemplateBlock(BSTR, LONG, LONG, LONG* a, LONG* b) override {
    *a = *b = -1;
    return S_OK;
  }
  HRESULT GetComponentClass(BSTR, VARIANT_BOOL*, VARIANT_BOOL*, VARIANT_BOOL*, VARIANT_BOOL*,
                            BSTR*) override {
    return E_NOTIMPL;
  }

 private:
  HostRecord* r_;
};

class FakeWindow final : public DispatchObject<HostWindow> {
 public:
  explicit FakeWindow(HostRecord* r) : r_(r) {}
  HRESULT AskSwitchToDesign(BSTR caption, BSTR text, BSTR yes_label, BSTR no_label, BSTR dont_show,
                            VARIANT_BOOL* yes, VARIANT_BOOL* remember) override {
    ++r_->questions_asked;
    for (BSTR s : {caption, text, yes_label, no_label, dont_show}) {
      r_->question_texts.emplace_back(BstrView(s));
    }
    *yes = r_->answer_yes ? VARIANT_TRUE : VARIANT_FALSE;
    *remember = r_->answer_remember ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

 private:
  HostRecord* r_;
};

class FakeView final : public DispatchObject<HostView> {
 public:
  explicit FakeView(HostRecord* r) : r_(r) {}
  HRESULT GetWindow(HostWindow** window) override {
    *window = MakeCom<FakeWindow>(r_).Detach();
    return S_OK;
  }

 private:
  HostRecord* r_;
};

// A page: its model answers the view; its document holds a template text.
class FakePage final : public DispatchObject<HostPageModel, HostPageDocument> {
 public:
  FakePage(HostRecord* r, std::u16string text) : r_(r), text_(std::move(text)) {}
  HRESULT GetProject(HostProject** project) override {
    *project = MakeCom<FakeProject>(r_).Detach();
    return S_OK;
  }
  HRESULT GetId(LONG* id) override {
    *id = 1;
    return S_OK;
  }
  HRESULT GetName(BSTR* name) override { return PutText(u"Page1", name); }
  HRESULT GetParent(HostPageModel** parent) override {
    *parent = nullptr;
    return S_FALSE;
  }
  HRESULT GetTypeName(BSTR* type) override { return PutText(u"Page", type); }
  HRESULT GetElementName(BSTR* element) override { return PutText(u"Page", element); }
  HRESULT GetIsContainer(VARIANT_BOOL* container) override {
    *container = VARIANT_TRUE;
    return S_OK;
  }
  HRESULT GetComponentCount(LONG* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT GetComponent(LONG, HostPageModel** c) override {
    *c = nullptr;
    return S_FALSE;
  }
  HRESULT FindComponentByName(BSTR, HostPageModel** c) override {
    *c = nullptr;
    return S_FALSE;
  }
  HRESULT FindComponentById(LONG, HostPageModel** c) override {
    *c = nullptr;
    return S_FALSE;
  }
  HRESULT GetProperty(BSTR, BSTR* value) override {
    *value = nullptr;
    return S_FALSE;
  }
  HRESULT GetTypeProperty(BSTR, BSTR* value) override {
    *value = nullptr;
    return S_FALSE;
  }
  HRESULT GetHtml(BSTR* html) override { return PutText(text_, html); }
  HRESULT GetFileName(BSTR* name) override { return PutText(u"page1.html", name); }
  HRESULT GetDirectory(BSTR* dir) override { return PutText(u"", dir); }
  HRESULT GetFormatterContext(IUnknown** context) override {
    *context = nullptr;
    return S_FALSE;
  }
  HRESULT GetPage(HostPageModel** page) override { return CopyOut<HostPageModel>(this, page); }
  HRESULT GetView(HostView** view) override {
    *view = MakeCom<FakeView>(r_).Detach();
    return S_OK;
  }
  HRESULT GetText(LONG, BSTR* text) override { return PutText(text_, text); }

 private:
  HostRecord* r_;
  std::u16string text_;
};

}  // namespace kpx::testing
