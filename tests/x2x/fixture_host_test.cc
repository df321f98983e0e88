// The fixture host as the library sees it: every answer goes through the host interfaces.
#include "x2x/fixture_host.h"

#include <gtest/gtest.h>

#include <memory>

#include "com/bstr.h"
#include "kpx/converter.h"
#include "x2x/host_file_loader.h"

namespace x2x {
namespace {

using kpx::Bstr;

HostData Example() {
  return LoadHostFile(KPX_SOURCE_DIR "/examples/host.xml");
}

HostData Inline(std::string_view text) {
  return ParseHostFile(text, "t.xml", "/site", DiskFileReader());
}

ComPtr<HostApplication> ApplicationOf(const FixtureHost& host) {
  return ComPtr<IDispatch>(host.Application()).As<HostApplication>();
}

ComPtr<HostOptions> OptionsOf(const FixtureHost& host) {
  ComPtr<IUnknown> options;
  EXPECT_EQ(ApplicationOf(host)->GetOptions(options.Put()), S_OK);
  return options.As<HostOptions>();
}

ComPtr<HostProject> ProjectOf(const FixtureHost& host) {
  ComPtr<HostProject> project;
  ApplicationOf(host)->GetProject(project.Put());
  return project;
}

ComPtr<HostPageModel> Model(const ComPtr<IDispatch>& object) {
  return object.As<HostPageModel>();
}

std::u16string NameOf(HostPageModel* model) {
  Bstr name;
  model->GetName(name.Put());
  return name.Str();
}

TEST(FixtureHostTest, ReadsOptionsAndKeepsWhatTheLibraryWrites) {
  FixtureHost host(Example(), nullptr);
  auto options = OptionsOf(host);
  ASSERT_TRUE(options);
  Bstr value;
  Bstr section(u"HTMLFormatting");
  EXPECT_EQ(options->ReadOption(section.Get(), Bstr(u"ConverterVerbosityLevel").Get(), value.Put()),
            S_OK);
  EXPECT_EQ(value.Str(), u"3");
  EXPECT_EQ(options->ReadOption(section.Get(), Bstr(u"converterverbositylevel").Get(), value.Put()),
            S_FALSE);
  EXPECT_TRUE(value.IsNull());
  EXPECT_EQ(options->ReadOption(Bstr(u"Nowhere").Get(), Bstr(u"x").Get(), value.Put()), S_FALSE);

  Bstr editor(u"HTMLEditor");
  Bstr name(u"SwitchToDesignOnError");
  EXPECT_EQ(options->WriteOption(editor.Get(), name.Get(), Bstr(u"never").Get()), S_OK);
  // A second options object sees the write: it is the host's, not the object's.
  EXPECT_EQ(OptionsOf(host)->ReadOption(editor.Get(), name.Get(), value.Put()), S_OK);
  EXPECT_EQ(value.Str(), u"never");
  EXPECT_EQ(host.Data().options.at(u"HTMLEditor").at(u"SwitchToDesignOnError"), u"never");
}

TEST(FixtureHostTest, RecordsTheOptionsTheLibraryReadsOnInitialize) {
  FixtureHost host(Example(), nullptr);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid()), S_OK);
  ComPtr<IXH2XConverter> converter;
  ASSERT_EQ(factory->CreateInstance(nullptr, IXH2XConverter::kIID, converter.PutVoid()), S_OK);
  ASSERT_EQ(converter->initialize(host.Application()), S_OK);
  ASSERT_FALSE(host.OptionReads().empty());
  EXPECT_EQ(host.OptionReads()[0], std::make_pair(std::u16string(u"HTMLFormatting"),
                                                  std::u16string(u"ConverterVerbosityLevel")));
}

TEST(FixtureHostTest, LocalizesKnownKeysOnly) {
  FixtureHost host(Example(), nullptr);
  ComPtr<IUnknown> object;
  ASSERT_EQ(ApplicationOf(host)->GetLocalizer(object.Put()), S_OK);
  auto localizer = object.As<HostLocalizer>();
  ASSERT_TRUE(localizer);
  Bstr text;
  EXPECT_EQ(localizer->GetMessage(Bstr(u"Button_Yes").Get(), text.Put()), S_OK);
  EXPECT_EQ(text.Str(), u"Yes");
  EXPECT_EQ(localizer->GetMessage(Bstr(u"XX_Unknown").Get(), text.Put()), S_FALSE);
  EXPECT_TRUE(text.IsNull());
}

TEST(FixtureHostTest, CollectsMessagesWhateverTheSyncDialogSettingSays) {
  // showSyncDlg is for the library to apply; the host only stores it and shows what it is given.
  FixtureHost host(
      Inline("<host><project><setting name='showSyncDlg' value='Yes'/></project></host>"), nullptr);
  ComPtr<HostProjectSettings> settings;
  ASSERT_EQ(ProjectOf(host)->GetSettings(settings.Put()), S_OK);
  Bstr value;
  EXPECT_EQ(settings->GetValue(Bstr(u"showSyncDlg").Get(), value.Put()), S_OK);
  EXPECT_EQ(value.Str(), u"Yes");

  ComPtr<HostMessageWindow> window;
  ASSERT_EQ(ApplicationOf(host)->GetMessageWindow(window.Put()), S_OK);
  window->AddMessage(MessageWarning, Bstr(u"first").Get());
  window->AddMessage(MessageError, nullptr);
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(host.Messages()[0].kind, MessageWarning);
  EXPECT_EQ(host.Messages()[0].text, u"first");
  EXPECT_EQ(host.Messages()[1].text, u"");
}

TEST(FixtureHostTest, AnswersProjectValuesItemsAndTranslations) {
  FixtureHost host(Example(), nullptr);
  auto project = ProjectOf(host);
  ASSERT_TRUE(project);
  Bstr value;
  EXPECT_EQ(project->GetValue(Bstr(u"defaultStyle").Get(), value.Put()), S_OK);
  EXPECT_EQ(value.Str(), u"Basic");
  EXPECT_EQ(project->GetValue(Bstr(u"_defaultStyle").Get(), value.Put()), S_FALSE);
  EXPECT_EQ(project->SetValue(Bstr(u"_defaultStyle").Get(), Bstr(u"Basic").Get()), S_OK);
  EXPECT_EQ(ProjectOf(host)->GetValue(Bstr(u"_defaultStyle").Get(), value.Put()), S_OK);
  EXPECT_EQ(value.Str(), u"Basic");

  ComPtr<HostProjectItem> item;
  ASSERT_EQ(project->GetItem(Bstr(u"site").Get(), item.Put()), S_OK);
  EXPECT_EQ(item->GetProperty(Bstr(u"htmlTagsToParse").Get(), value.Put()), S_OK);
  EXPECT_EQ(value.Str(), u"form;label");
  EXPECT_EQ(item->GetProperty(Bstr(u"other").Get(), value.Put()), S_FALSE);
  EXPECT_EQ(project->GetItem(Bstr(u"nothing").Get(), item.Put()), S_FALSE);
  EXPECT_FALSE(item);

  struct Row {
    const char16_t* language;
    const char16_t* name;
    HRESULT status;
    const char16_t* text;
  };
  const Row rows[] = {
      {u"en", u"OrdersTitle", S_OK, u"Orders"},
      {u"de", u"OrdersTitle", S_OK, u"Bestellungen"},
      {u"de", u"Missing", S_FALSE, nullptr},
      {u"fr", u"OrdersTitle", S_FALSE, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.language, row.language + 2));
    EXPECT_EQ(project->GetTranslation(Bstr(row.language).Get(), Bstr(row.name).Get(), value.Put()),
              row.status);
    if (row.text) {
      EXPECT_EQ(value.Str(), row.text);
    } else {
      EXPECT_TRUE(value.IsNull());
    }
  }
}

TEST(FixtureHostTest, HasNoProjectWithoutOne) {
  FixtureHost host(EmptyHostData("/tmp"), nullptr);
  ComPtr<HostProject> project;
  EXPECT_EQ(ApplicationOf(host)->GetProject(project.Put()), S_FALSE);
  EXPECT_FALSE(project);
  EXPECT_EQ(Model(host.Page(0))->GetProject(project.Put()), S_FALSE);
}

TEST(FixtureHostTest, AnswersTheComponentTypeRegistryOnlyWhenItHasOne) {
  VARIANT_BOOL known = VARIANT_FALSE, container = VARIANT_FALSE, simple = VARIANT_FALSE,
               block = VARIANT_FALSE;
  Bstr canonical;
  FixtureHost none(EmptyHostData("/tmp"), nullptr);
  EXPECT_EQ(ApplicationOf(none)->GetComponentClass(Bstr(u"Grid").Get(), &known, &container, &simple,
                                                   &block, canonical.Put()),
            E_NOTIMPL);

  FixtureHost host(Example(), nullptr);
  auto application = ApplicationOf(host);
  EXPECT_EQ(application->GetComponentClass(Bstr(u"grid").Get(), &known, &container, &simple, &block,
                                           canonical.Put()),
            S_OK);
  EXPECT_EQ(known, VARIANT_TRUE);
  EXPECT_EQ(container, VARIANT_TRUE);
  EXPECT_EQ(simple, VARIANT_FALSE);
  EXPECT_EQ(block, VARIANT_TRUE);
  EXPECT_EQ(canonical.Str(), u"Grid");
  EXPECT_EQ(application->GetComponentClass(Bstr(u"Calendar").Get(), &known, &container, &simple,
                                           &block, canonical.Put()),
            S_OK);
  EXPECT_EQ(known, VARIANT_FALSE);
  EXPECT_TRUE(canonical.IsNull());
}

TEST(FixtureHostTest, AnswersBlockLookupsFromTheFileElseMinusOne) {
  FixtureHost host(Example(), nullptr);
  auto application = ApplicationOf(host);
  struct Row {
    const char16_t* name;
    LONG state1;
    LONG state2;
    LONG result1;
    LONG result2;
  };
  const Row rows[] = {
      {u"Orders", 0, 0, 3, -1},     {u"ORDERS", 7, 9, 3, -1},   {u"OrderEdit", 0, 5, 8, -1},
      {u"OrderEdit", 1, 5, -1, -1}, {u"Unknown", 0, 0, -1, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.state1));
    LONG r1 = 0, r2 = 0;
    EXPECT_EQ(
        application->LookupTemplateBlock(Bstr(row.name).Get(), row.state1, row.state2, &r1, &r2),
        S_OK);
    EXPECT_EQ(r1, row.result1);
    EXPECT_EQ(r2, row.result2);
  }
}

TEST(FixtureHostTest, FormatterAnswersListedExtentsThroughThePageContext) {
  FixtureHost host(Example(), nullptr);
  ComPtr<HostFormatter> formatter;
  ASSERT_EQ(CoCreateInstance(CLSID_HostFormatter, nullptr, CLSCTX_ALL, HostFormatter::kIID,
                             formatter.PutVoid()),
            S_OK);
  std::u16string extent =
      u"<span kpsServiceable=\"true\" kpsId=\"2\" kpsType=\"Label\" name=\"Welcome\">Welcome "
      u"back</span>";
  auto format = [&](std::u16string_view in) {
    BSTR slot = kpx::AllocBstr(in);
    EXPECT_EQ(formatter->Format(&slot), S_OK);
    return Bstr::Adopt(slot).Str();
  };
  EXPECT_EQ(format(extent), extent) << "unchanged before Initialize";

  ComPtr<IUnknown> context;
  ASSERT_EQ(Model(host.Page(0))->GetFormatterContext(context.Put()), S_OK);
  ASSERT_EQ(formatter->Initialize(context.Get()), S_OK);
  EXPECT_EQ(format(extent), u"{Welcome}");
  EXPECT_EQ(format(u"<b>other</b>"), u"<b>other</b>");
}

TEST(FixtureHostTest, PagesAndComponentsFormOneModel) {
  FixtureHost host(Example(), nullptr);
  ComPtr<IDispatch> pageObject = host.Page(0);
  auto page = Model(pageObject);
  ASSERT_TRUE(page);
  EXPECT_TRUE(pageObject.As<HostPageDocument>()) << "a page answers HostPageDocument";

  ComPtr<HostPageModel> orders;
  ASSERT_EQ(page->FindComponentByName(Bstr(u"orders").Get(), orders.Put()), S_OK);
  EXPECT_FALSE(orders.As<HostPageDocument>()) << "a component does not";
  ComPtr<HostPageModel> second;
  ASSERT_EQ(page->GetComponent(1, second.Put()), S_OK);
  EXPECT_EQ(second.Get(), orders.Get()) << "one object per component";
  EXPECT_EQ(page->GetComponent(4, second.Put()), S_FALSE);
  EXPECT_EQ(page->GetComponent(-1, second.Put()), S_FALSE);

  LONG count = 0;
  orders->GetComponentCount(&count);
  EXPECT_EQ(count, 4);
  ComPtr<HostPageModel> navigator;
  ASSERT_EQ(page->FindComponentById(7, navigator.Put()), S_OK);
  EXPECT_EQ(NameOf(navigator.Get()), u"Navigator");
  ComPtr<HostPageModel> parent;
  ASSERT_EQ(navigator->GetParent(parent.Put()), S_OK);
  EXPECT_EQ(parent.Get(), orders.Get());
  ASSERT_EQ(parent->GetParent(parent.Put()), S_OK);
  EXPECT_EQ(parent.Get(), page.Get());
  EXPECT_EQ(parent->GetParent(parent.Put()), S_FALSE);
  ComPtr<HostPageModel> owner;
  ASSERT_EQ(navigator->GetPage(owner.Put()), S_OK);
  EXPECT_EQ(owner.Get(), page.Get());

  Bstr text;
  EXPECT_EQ(orders->GetTypeName(text.Put()), S_OK);
  EXPECT_EQ(text.Str(), u"Grid");
  EXPECT_EQ(page->GetTypeName(text.Put()), S_OK);
  EXPECT_EQ(text.Str(), u"Page");
  EXPECT_EQ(orders->GetProperty(Bstr(u"dataSource").Get(), text.Put()), S_OK);
  EXPECT_EQ(text.Str(), u"orders");
  EXPECT_EQ(page->GetProperty(Bstr(u"isIncluded").Get(), text.Put()), S_OK);
  EXPECT_EQ(text.Str(), u"false");
  EXPECT_EQ(navigator->GetFileName(text.Put()), S_OK) << "a component answers with its page's file";
  EXPECT_EQ(text.Str(), u"OrdersList.html");
  ComPtr<HostPageModel> welcome;
  ASSERT_EQ(page->FindComponentById(2, welcome.Put()), S_OK);
  EXPECT_EQ(welcome->GetTypeProperty(Bstr(u"hasExtendedHtml").Get(), text.Put()), S_OK);
  EXPECT_EQ(text.Str(), u"true");
  EXPECT_EQ(orders->GetTypeProperty(Bstr(u"hasExtendedHtml").Get(), text.Put()), S_FALSE);
  EXPECT_EQ(orders->GetHtml(text.Put()), S_FALSE);
  VARIANT_BOOL container = VARIANT_FALSE;
  welcome->GetIsContainer(&container);
  EXPECT_EQ(container, VARIANT_FALSE);

  auto document = pageObject.As<HostPageDocument>();
  EXPECT_EQ(document->GetText(0, text.Put()), S_OK);
  EXPECT_EQ(text.View().substr(0, 9), u"<!DOCTYPE");
  EXPECT_EQ(document->GetText(1, text.Put()), E_INVALIDARG);
}

TEST(FixtureHostTest, ObjectsOutliveTheHostThatMadeThem) {
  ComPtr<HostPageModel> navigator;
  {
    FixtureHost host(Example(), nullptr);
    navigator = Model(host.Component(0, 7));
  }
  ComPtr<HostPageModel> page;
  ASSERT_EQ(navigator->GetPage(page.Put()), S_OK);
  EXPECT_EQ(NameOf(page.Get()), u"OrdersList");
}

TEST(FixtureHostTest, AsksTheSwitchQuestionThroughThePageWindow) {
  struct Row {
    const char* name;
    SwitchAnswerSource source;
    VARIANT_BOOL yes;
    VARIANT_BOOL dontShowAgain;
  };
  const Row rows[] = {
      {"no source answers No", nullptr, VARIANT_FALSE, VARIANT_FALSE},
      {"yes",
       [](const SwitchQuestion&) {
         return SwitchAnswer{true, false};
       },
       VARIANT_TRUE, VARIANT_FALSE},
      {"never",
       [](const SwitchQuestion&) {
         return SwitchAnswer{false, true};
       },
       VARIANT_FALSE, VARIANT_TRUE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FixtureHost host(Example(), row.source);
    ComPtr<HostView> view;
    ASSERT_EQ(Model(host.Component(0, 3))->GetView(view.Put()), S_OK);
    ComPtr<HostWindow> window;
    ASSERT_EQ(view->GetWindow(window.Put()), S_OK);
    VARIANT_BOOL yes = 7, dontShowAgain = 7;
    EXPECT_EQ(window->AskSwitchToDesign(Bstr(u"Caption").Get(), Bstr(u"Switch?").Get(), nullptr,
                                        nullptr, nullptr, &yes, &dontShowAgain),
              S_OK);
    EXPECT_EQ(yes, row.yes);
    EXPECT_EQ(dontShowAgain, row.dontShowAgain);
    ASSERT_EQ(host.Questions().size(), 1u);
    EXPECT_EQ(host.Questions()[0].text, u"Switch?");
  }
}

}  // namespace
}  // namespace x2x
