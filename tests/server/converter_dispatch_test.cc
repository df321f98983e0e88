// The converter through IDispatch: names, argument conversion, out parameters, and the statuses
// for bad calls.
#include <gtest/gtest.h>

#include "com/bstr.h"
#include "server/xh2x_converter.h"
#include "support/fake_host.h"

namespace {

using kpx::Bstr;

// Converts and records what reaches the stages.
struct RecordingEngine : kpx::ConversionEngine {
  std::u16string* seen_text;
  uint32_t* seen_flags;
  RecordingEngine(std::u16string* t, uint32_t* f) : seen_text(t), seen_flags(f) {}
  HRESULT DirectConversion(kpx::ConverterContext&, IDispatch*, std::u16string_view text,
                           uint32_t flags, kpx::StageReport&, std::u16string* xml) override {
    *seen_text = text;
    *seen_flags = flags;
    *xml = u"<Page>" + std::u16string(text) + u"</Page>";
    return S_OK;
  }
  HRESULT RunPipeline(kpx::ConverterContext& context, IDispatch*, std::u16string_view text,
                      uint32_t flags, kpx::StageReport& report, std::u16string* xml) override {
    *seen_text = text;
    *seen_flags = flags | static_cast<uint32_t>(context.cursor_position) << 8;
    report.structure = u"structure";
    *xml = u"<Page/>";
    return S_OK;
  }
};

class ConverterDispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    converter_ = kpx::MakeCom<kpx::XH2XConverter>(
        std::make_unique<RecordingEngine>(&seen_text_, &seen_flags_));
    dispatch_ = converter_.As<IDispatch>();
    page_ = kpx::MakeCom<kpx::testing::FakePage>(&host_, u"");
  }
  DISPID IdOf(const char16_t* name) {
    std::u16string copy(name);
    LPOLESTR names[] = {copy.data()};
    DISPID id = -7;
    EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
    return id;
  }
  // Arguments in call order; reversed here as automation passes them.
  HRESULT Call(DISPID id, std::vector<VARIANT> args, VARIANT* result, UINT* arg_error = nullptr,
               EXCEPINFO* exception = nullptr) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return dispatch_->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &params, result, exception,
                             arg_error);
  }
  VARIANT PageArg() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = static_cast<HostPageModel*>(page_.Get());
    return v;
  }

  std::u16string seen_text_;
  uint32_t seen_flags_ = 0;
  kpx::testing::HostRecord host_;
  ComPtr<kpx::XH2XConverter> converter_;
  ComPtr<IDispatch> dispatch_;
  ComPtr<kpx::testing::FakePage> page_;
};

TEST_F(ConverterDispatchTest, NamesFoldCaseAndGiveTheTableOrder) {
  struct Row {
    const char16_t* name;
    DISPID id;
  };
  const Row rows[] = {{u"convert", 1},
                      {u"GETERRORS", 4},
                      {u"performTableOperation", 11},
                      {u"initialize", 21},
                      {u"UnmaskDoctype", 29}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name, row.name + std::char_traits<char16_t>::length(row.name)));
    EXPECT_EQ(IdOf(row.name), row.id);
  }
  std::u16string unknown = u"moveBodyTags";  // in the function table, not in the type library
  std::u16string param = u"bstrXHTML", method = u"convertCustom", bad = u"nope";
  LPOLESTR one[] = {unknown.data()};
  DISPID id = 0;
  EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, one, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  LPOLESTR with_params[] = {method.data(), param.data(), bad.data()};
  DISPID ids[3];
  EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, with_params, 3, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 3);
  EXPECT_EQ(ids[1], 1);
  EXPECT_EQ(ids[2], DISPID_UNKNOWN);
  EXPECT_EQ(dispatch_->GetIDsOfNames(IDispatch::kIID, one, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(ConverterDispatchTest, ArgumentsConvertAsAutomationDoes) {
  // convertCustom(page, text) with the text given as a number: it becomes "42".
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 42;
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(Call(3, {PageArg(), number}, &result), S_OK);
  EXPECT_EQ(seen_text_, u"42");
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(kpx::BstrView(result.bstrVal), u"<Page>42</Page>");
  VariantClear(&result);

  // The text by reference, through a variant that refers to it.
  BSTR text = SysAllocString(u"<p/>");
  VARIANT by_ref;
  VariantInit(&by_ref);
  by_ref.vt = VT_BYREF | VT_BSTR;
  by_ref.pbstrVal = &text;
  VARIANT outer;
  VariantInit(&outer);
  outer.vt = VT_BYREF | VT_VARIANT;
  outer.pvarVal = &by_ref;
  ASSERT_EQ(Call(3, {PageArg(), outer}, &result), S_OK);
  EXPECT_EQ(seen_text_, u"<p/>");
  VariantClear(&result);
  SysFreeString(text);
}

TEST_F(ConverterDispatchTest, TwoOutParametersGoToReferences) {
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(u"<p/>");
  VARIANT cursor;
  VariantInit(&cursor);
  cursor.vt = VT_BSTR;
  cursor.bstrVal = SysAllocString(u"5");  // a string where a number is expected
  BSTR xml = nullptr;
  VARIANT structure;
  VariantInit(&structure);
  VARIANT xml_ref;
  VariantInit(&xml_ref);
  xml_ref.vt = VT_BYREF | VT_BSTR;
  xml_ref.pbstrVal = &xml;
  VARIANT structure_ref;
  VariantInit(&structure_ref);
  structure_ref.vt = VT_BYREF | VT_VARIANT;
  structure_ref.pvarVal = &structure;
  ASSERT_EQ(Call(24, {PageArg(), text, cursor, xml_ref, structure_ref}, nullptr), S_OK);
  EXPECT_EQ(seen_flags_, 0x200040u | (5u << 8));
  EXPECT_EQ(kpx::BstrView(xml), u"<Page/>");
  EXPECT_EQ(structure.vt, VT_BSTR);
  EXPECT_EQ(kpx::BstrView(structure.bstrVal), u"structure");
  SysFreeString(xml);
  VariantClear(&structure);
  VariantClear(&text);
  VariantClear(&cursor);
}

TEST_F(ConverterDispatchTest, BadCallsGetDispatchStatuses) {
  VARIANT result;
  VariantInit(&result);
  VARIANT word;
  VariantInit(&word);
  word.vt = VT_BSTR;
  word.bstrVal = SysAllocString(u"many");
  VARIANT page_as_number;
  VariantInit(&page_as_number);
  page_as_number.vt = VT_I4;
  UINT arg_error = 99;
  struct Row {
    const char* name;
    DISPID id;
    std::vector<VARIANT> args;
    HRESULT expected;
    UINT arg_error;
  };
  const Row rows[] = {
      {"unknown member", 77, {}, DISP_E_MEMBERNOTFOUND, 99},
      {"too few", 3, {PageArg()}, DISP_E_BADPARAMCOUNT, 99},
      {"too many", 4, {PageArg()}, DISP_E_BADPARAMCOUNT, 99},
      {"number for an object", 3, {page_as_number, word}, DISP_E_TYPEMISMATCH, 1},
      {"text for a number", 11, {PageArg(), word}, DISP_E_TYPEMISMATCH, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    arg_error = 99;
    EXPECT_EQ(Call(row.id, row.args, &result, &arg_error), row.expected);
    EXPECT_EQ(arg_error, row.arg_error);
    EXPECT_EQ(result.vt, VT_EMPTY);
  }
  VariantClear(&word);
}

TEST_F(ConverterDispatchTest, FailuresComeBackAsTheyAreOrAsExceptions) {
  VARIANT result;
  VariantInit(&result);
  VARIANT nothing;
  VariantInit(&nothing);  // an empty object argument is a null page
  VARIANT text;
  VariantInit(&text);
  EXPECT_EQ(Call(3, {nothing, text}, &result), E_INVALIDARG);
  EXCEPINFO exception{};
  EXPECT_EQ(Call(3, {nothing, text}, &result, nullptr, &exception), DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, E_INVALIDARG);
  SysFreeString(exception.bstrSource);
  // A success other than S_OK stays what it is: getErrors with no error text.
  EXPECT_EQ(Call(4, {}, &result), S_FALSE);
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(result.bstrVal, nullptr);
}

}  // namespace
