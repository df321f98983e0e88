// The converter's frame with a substitute for the stages behind it: argument checks, error text,
// host binding, the re-entrancy flag, the out-of-sync retry, and failures at the boundary.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/stage_timer.h"
#include "base/status.h"
#include "com/bstr.h"
#include "server/xh2x_converter.h"
#include "support/fake_host.h"

namespace {

using kpx::Bstr;
using kpx::ConversionEngine;
using kpx::ConverterContext;
using kpx::FragmentComponents;
using kpx::StageReport;
using kpx::XH2XConverter;
using kpx::testing::FakeApplication;
using kpx::testing::FakePage;
using kpx::testing::HostRecord;

// Records every call and answers what the test sets.
struct ScriptedEngine : ConversionEngine {
  struct Call {
    std::string stage;
    std::u16string text;
    uint32_t flags = 0;
    bool flag = false;
  };
  std::vector<Call>* calls;
  std::vector<HRESULT> pipeline_results;  // one per call, the last one repeats
  std::vector<kpx::ParseError> errors;    // reported by each recognition run
  std::optional<std::u16string> structure;
  std::u16string xml = u"<Page/>";
  FragmentComponents fragment;
  std::function<void()> during_pipeline;

  explicit ScriptedEngine(std::vector<Call>* c) : calls(c) {}

  HRESULT RunPipeline(ConverterContext& context, IDispatch*, std::u16string_view text,
                      uint32_t flags, StageReport& report, std::u16string* out) override {
    calls->push_back({"pipeline", std::u16string(text), flags});
    cursor = context.cursor_position;
    if (during_pipeline) during_pipeline();
    report.recognition_ran = true;
    report.errors = errors;
    if (flags & kpx::FlagStructure) report.structure = structure;
    size_t index = std::min(pipeline_count++, pipeline_results.size() - 1);
    *out = xml;
    return pipeline_results.empty() ? S_OK : pipeline_results[index];
  }
  HRESULT DirectConversion(ConverterContext&, IDispatch*, std::u16string_view text, uint32_t flags,
                           StageReport& report, std::u16string* out) override {
    calls->push_back({"direct", std::u16string(text), flags});
    report.recognition_ran = true;
    report.errors = errors;
    *out = xml;
    return S_OK;
  }
  HRESULT RecognizeFragment(ConverterContext&, IDispatch*, std::u16string_view text, StageReport&,
                            FragmentComponents* found) override {
    calls->push_back({"fragment", std::u16string(text)});
    *found = fragment;
    return S_OK;
  }
  HRESULT Synchronize(ConverterContext&, IDispatch*, std::u16string_view text, bool marked,
                      bool warnings, StageReport&) override {
    calls->push_back({"sync", std::u16string(text), warnings ? 1u : 0u, marked});
    return S_OK;
  }
  HRESULT PrePatch(ConverterContext&, IDispatch*, std::u16string_view text, int option,
                   std::u16string* out) override {
    calls->push_back({"prepatch", std::u16string(text), static_cast<uint32_t>(option)});
    *out = u"patched:" + std::u16string(text);
    return S_OK;
  }

  size_t pipeline_count = 0;
  LONG cursor = 0;
};

class ConverterFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto engine = std::make_unique<ScriptedEngine>(&calls_);
    engine_ = engine.get();
    converter_ = kpx::MakeCom<XH2XConverter>(std::move(engine));
    app_ = kpx::MakeCom<FakeApplication>(&host_);
    page_ = kpx::MakeCom<FakePage>(&host_, u"<p>{Name}</p>");
  }
  IDispatch* Page() { return static_cast<HostPageModel*>(page_.Get()); }
  IDispatch* App() { return app_.Get(); }

  std::vector<ScriptedEngine::Call> calls_;
  ScriptedEngine* engine_ = nullptr;
  ComPtr<XH2XConverter> converter_;
  HostRecord host_;
  ComPtr<FakeApplication> app_;
  ComPtr<FakePage> page_;
};

TEST_F(ConverterFrameTest, ErrorTextIsSetByRecognitionAndClearedByTheNext) {
  Bstr errors;
  EXPECT_EQ(converter_->getErrors(errors.Put()), S_FALSE);
  EXPECT_TRUE(errors.IsNull());
  EXPECT_EQ(converter_->getErrors(nullptr), E_INVALIDARG);

  engine_->errors = {{3, 0x1a}, {5, 0x123456}};
  Bstr xml;
  ASSERT_EQ(converter_->convert(Page(), xml.Put()), S_OK);
  EXPECT_EQ(xml.View(), u"<Page/>");
  ASSERT_EQ(converter_->getErrors(errors.Put()), S_OK);
  EXPECT_EQ(errors.View(),
            u"3 ('invalid html') near 00001a\n5 ('template end block mismatch') near 123456\n");

  engine_->errors.clear();
  ASSERT_EQ(converter_->convert(Page(), xml.Put()), S_OK);
  EXPECT_EQ(converter_->getErrors(errors.Put()), S_FALSE);
  EXPECT_TRUE(errors.IsNull());
}

TEST_F(ConverterFrameTest, ConvertReadsThePageTextAndRunsTheDirectConversion) {
  Bstr xml;
  ASSERT_EQ(converter_->convert(Page(), xml.Put()), S_OK);
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].stage, "direct");
  EXPECT_EQ(calls_[0].text, u"<p>{Name}</p>");
  EXPECT_EQ(calls_[0].flags, 0u);
  // Objects that are not pages, and missing arguments.
  EXPECT_EQ(converter_->convert(App(), xml.Put()), E_FAIL);
  EXPECT_EQ(converter_->convert(nullptr, xml.Put()), E_INVALIDARG);
  EXPECT_EQ(converter_->convert(Page(), nullptr), E_INVALIDARG);
}

TEST_F(ConverterFrameTest, InitializeBindsOnceAndReadsTheVerbosity) {
  struct Row {
    const char* name;
    const char16_t* option;  // null: not set
    LONG expected;
  };
  const Row rows[] = {
      {"plain", u"3", 3},        {"blanks and sign", u"  -2", -2}, {"trailing text", u"2x", 2},
      {"no digits", u"high", 0}, {"not set", nullptr, 0},
  };
  // The stages see the level through the converter's context.
  struct LevelEngine : ConversionEngine {
    LONG* out;
    explicit LevelEngine(LONG* o) : out(o) {}
    HRESULT DirectConversion(ConverterContext& c, IDispatch*, std::u16string_view, uint32_t,
                             StageReport&, std::u16string*) override {
      *out = c.verbosity_level;
      return S_OK;
    }
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HostRecord host;
    if (row.option) host.options[{u"HTMLFormatting", u"ConverterVerbosityLevel"}] = row.option;
    ComPtr<FakeApplication> app = kpx::MakeCom<FakeApplication>(&host);
    ComPtr<FakePage> page = kpx::MakeCom<FakePage>(&host, u"");
    LONG seen = -100;
    ComPtr<XH2XConverter> probe = kpx::MakeCom<XH2XConverter>(std::make_unique<LevelEngine>(&seen));
    ASSERT_EQ(probe->initialize(app.Get()), S_OK);
    Bstr xml;
    probe->convert(static_cast<HostPageModel*>(page.Get()), xml.Put());
    EXPECT_EQ(seen, row.expected);
  }
}

TEST_F(ConverterFrameTest, SecondInitializeKeepsTheFirstApplication) {
  ASSERT_EQ(converter_->initialize(App()), S_OK);
  HostRecord other;
  ComPtr<FakeApplication> second = kpx::MakeCom<FakeApplication>(&other);
  EXPECT_EQ(converter_->initialize(second.Get()), S_FALSE);
  EXPECT_EQ(converter_->initialize(nullptr), S_FALSE);

  ComPtr<XH2XConverter> fresh = kpx::MakeCom<XH2XConverter>();
  EXPECT_EQ(fresh->initialize(nullptr), E_INVALIDARG);
  EXPECT_EQ(fresh->initialize(static_cast<HostPageModel*>(page_.Get())), E_FAIL);  // not an app
}

TEST_F(ConverterFrameTest, ParseHandlesTheSyncMarkerOnlyAtTheStart) {
  struct Row {
    const char* name;
    const char16_t* text;
    VARIANT_BOOL warnings;
    std::u16string expected_text;
    bool marked;
  };
  const Row rows[] = {
      {"marker", u"[kps_sync]<p/>", VARIANT_TRUE, u"<p/>", true},
      {"marker later", u"<p/>[kps_sync]", VARIANT_FALSE, u"<p/>[kps_sync]", false},
      {"no marker", u"<p/>", VARIANT_FALSE, u"<p/>", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    calls_.clear();
    Bstr text(row.text);
    EXPECT_EQ(converter_->parse(text.Get(), Page(), row.warnings), S_OK);
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(calls_[0].text, row.expected_text);
    EXPECT_EQ(calls_[0].flag, row.marked);
    EXPECT_EQ(calls_[0].flags, row.warnings ? 1u : 0u);
  }
  Bstr text(u"x");
  EXPECT_EQ(converter_->parse(text.Get(), App(), VARIANT_FALSE), E_POINTER);
  EXPECT_EQ(converter_->parse(text.Get(), nullptr, VARIANT_FALSE), E_POINTER);
}

TEST_F(ConverterFrameTest, ParseDuringForwardTransformationDoesNothing) {
  HRESULT inner = E_FAIL;
  engine_->during_pipeline = [&] {
    Bstr text(u"<p/>");
    inner = converter_->parse(text.Get(), Page(), VARIANT_TRUE);
    // Another converter object shares the flag.
    ComPtr<XH2XConverter> other = kpx::MakeCom<XH2XConverter>();
    IXMLDOMDocument* doc = nullptr;
    EXPECT_EQ(other->forwardTransformationWithDOM(Page(), text.Get(), &doc), S_FALSE);
  };
  engine_->pipeline_results = {E_FAIL};
  IXMLDOMDocument* doc = nullptr;
  Bstr text(u"<p/>");
  EXPECT_EQ(converter_->forwardTransformationWithDOM(Page(), text.Get(), &doc), E_FAIL);
  EXPECT_EQ(inner, S_FALSE);
  // The flag is cleared again on the way out.
  engine_->during_pipeline = nullptr;
  EXPECT_EQ(converter_->parse(text.Get(), Page(), VARIANT_TRUE), S_OK);
}

TEST_F(ConverterFrameTest, OutOfSyncTemplateIsSynchronizedAndConvertedAgain) {
  engine_->pipeline_results = {E_ABORT, E_ABORT};
  IXMLDOMDocument* doc = nullptr;
  Bstr text(u"<!-- BEGIN Grid Orders -->");
  EXPECT_EQ(converter_->forwardTransformationWithDOM(Page(), text.Get(), &doc), E_ABORT);
  EXPECT_EQ(doc, nullptr);
  ASSERT_EQ(calls_.size(), 3u);
  EXPECT_EQ(calls_[0].stage, "pipeline");
  EXPECT_EQ(calls_[0].flags, 0x10u);
  EXPECT_EQ(calls_[1].stage, "sync");
  EXPECT_EQ(calls_[1].flags, 1u);  // with warnings
  EXPECT_EQ(calls_[2].stage, "pipeline");
  EXPECT_EQ(calls_[2].flags, 0x32u);
}

TEST_F(ConverterFrameTest, SingletonNeedsExactlyOneComponent) {
  struct Row {
    const char* name;
    bool aborted;
    size_t count;
    HRESULT expected;
  };
  const Row rows[] = {
      {"none", false, 0, E_FAIL}, {"two", false, 2, E_FAIL}, {"aborted", true, 1, E_ABORT}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    engine_->fragment = {row.aborted, row.count, u"<Grid/>"};
    IXMLDOMDocument* doc = nullptr;
    Bstr text(u"<!-- BEGIN Grid A -->");
    EXPECT_EQ(converter_->convertSingletonWithDOM(Page(), text.Get(), &doc), row.expected);
    EXPECT_EQ(doc, nullptr);
  }
}

TEST_F(ConverterFrameTest, ConvertUsingProfileWithoutAProfileReturnsNothing) {
  IXMLDOMDocument* doc = nullptr;
  Bstr text(u"<p/>"), target(u"design");
  EXPECT_EQ(converter_->convertUsingProfile(Page(), text.Get(), nullptr, target.Get(), &doc), S_OK);
  EXPECT_EQ(doc, nullptr);
  EXPECT_TRUE(calls_.empty());
}

TEST_F(ConverterFrameTest, GenerationTwoStoresTheCursorAndReturnsTheStructure) {
  engine_->structure = u"Grid Orders *";
  Bstr text(u"<p/>"), xml, structure;
  ASSERT_EQ(converter_->convertForGeneration2(Page(), text.Get(), 42, xml.Put(), structure.Put()),
            S_OK);
  EXPECT_EQ(calls_.back().flags, 0x200040u);
  EXPECT_EQ(engine_->cursor, 42);
  EXPECT_EQ(structure.View(), u"Grid Orders *");
  // A run without a structure keeps the last one.
  engine_->structure.reset();
  ASSERT_EQ(converter_->convertForGeneration(Page(), text.Get(), xml.Put()), S_OK);
  EXPECT_EQ(calls_.back().flags, 0x40u);
  ASSERT_EQ(converter_->convertForGeneration2(Page(), text.Get(), 1, xml.Put(), structure.Put()),
            S_OK);
  EXPECT_EQ(structure.View(), u"Grid Orders *");
}

TEST_F(ConverterFrameTest, PreviewChecksArgumentsThenPrePatches) {
  Bstr in(u"<p>{x}</p>"), out;
  EXPECT_EQ(converter_->convertForPreview(nullptr, in.Get(), out.Put()), E_INVALIDARG);
  EXPECT_EQ(converter_->convertForPreview(Page(), nullptr, out.Put()), E_INVALIDARG);
  EXPECT_EQ(converter_->convertForPreview(Page(), in.Get(), nullptr), E_POINTER);
  ASSERT_EQ(converter_->convertForPreview(Page(), in.Get(), out.Put()), S_OK);
  EXPECT_EQ(out.View(), u"patched:<p>{x}</p>");
  EXPECT_EQ(calls_.back().flags, 1u);
}

TEST_F(ConverterFrameTest, FailuresInsideBecomeStatuses) {
  struct Throwing : ConversionEngine {
    std::function<void()> what;
    HRESULT DirectConversion(ConverterContext&, IDispatch*, std::u16string_view, uint32_t,
                             StageReport&, std::u16string*) override {
      what();
      return S_OK;
    }
  };
  struct Row {
    const char* name;
    std::function<void()> what;
    HRESULT expected;
  };
  const Row rows[] = {
      {"out of memory", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY},
      {"status", [] { throw kpx::ConverterError(E_ACCESSDENIED); }, E_ACCESSDENIED},
      {"anything else", [] { throw 42; }, E_FAIL},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto engine = std::make_unique<Throwing>();
    engine->what = row.what;
    ComPtr<XH2XConverter> converter = kpx::MakeCom<XH2XConverter>(std::move(engine));
    Bstr xml;
    EXPECT_EQ(converter->convert(Page(), xml.Put()), row.expected);
    EXPECT_TRUE(xml.IsNull());
  }
}

TEST_F(ConverterFrameTest, StagesAreTimedWithoutOutput) {
  kpx::StageTimer::ClearRecentLines();
  IXMLDOMDocument* doc = nullptr;
  converter_->convertWithDOM(Page(), &doc);
  if (doc) doc->Release();
  auto lines = kpx::StageTimer::RecentLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().rfind("!withTidy took ", 0), 0u) << lines.front();
  EXPECT_EQ(lines.front().back(), '\n');
  EXPECT_LE(kpx::StageTimer::FormatLine(std::string(200, 'x').c_str(), 1.5).size(), 63u);
}

}  // namespace
