// The forward passes chained as the pipeline chains them, with the cleaner or without it, and a
// converter bound to a fixture host whose switch-to-design answer a test chooses.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "forward/pipeline_tools.h"
#include "forward/post_patch.h"
#include "forward/pre_patch.h"
#include "recognition/recognition_test_support.h"
#include "server/converter_pipeline_tools.h"

namespace kpx::testing {

// The cleaner replaced by the identity, and no balancing.
class IdentityTools final : public PipelineTools {
 public:
  std::optional<std::u16string> Balance(std::u16string_view) override { return std::nullopt; }
  HRESULT Clean(std::u16string_view text, std::u16string* output, std::u16string*) override {
    output->assign(text);
    return S_OK;
  }
};

// Pre-patch (design), the tools' cleaner, cleanup, post-patch and the removal of added parts.
inline std::u16string ThroughPasses(std::u16string_view text, PipelineTools& tools) {
  PrePatchSettings settings;
  const PrePatchResult patched = PrePatch(text, settings);
  std::u16string cleaned, messages;
  EXPECT_EQ(tools.Clean(patched.text, &cleaned, &messages), S_OK);
  return DropAddedDocumentParts(PostPatch(CleanUpEmptySpans(cleaned)), patched.bits);
}

class ForwardHost {
 public:
  explicit ForwardHost(const HostSetup& setup, bool answer_yes = false)
      : host_(x2x::ParseHostFile(HostXml(setup), "host.xml", std::filesystem::current_path(),
                                 x2x::DiskFileReader()),
              [answer_yes](const x2x::SwitchQuestion&) {
                return x2x::SwitchAnswer{answer_yes, false};
              }) {
    RegisterStandInClasses();
    EXPECT_EQ(CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter_.PutVoid()), S_OK);
    EXPECT_EQ(converter_->initialize(host_.Application()), S_OK);
  }
  IXH2XConverter* Converter() { return converter_.Get(); }
  IDispatch* Page() { return page_.Get(); }
  x2x::FixtureHost& Host() { return host_; }

  // convertForGeneration (generation) or forwardTransformationWithDOM-free pipeline runs.
  std::string Generate(const std::string& text, HRESULT* status = nullptr) {
    Bstr input(ToUtf16(text)), xml;
    HRESULT hr = converter_->convertForGeneration(page_.Get(), input.Get(), xml.Put());
    if (status) *status = hr;
    return ToUtf8(xml.View());
  }

 private:
  x2x::FixtureHost host_;
  ComPtr<IDispatch> page_ = host_.Page(0);
  ComPtr<IXH2XConverter> converter_;
};

// The corpus pages as text: UTF-8 where they are, Latin-1 otherwise.
inline std::vector<std::pair<std::string, std::u16string>> CorpusPages() {
  std::vector<std::pair<std::string, std::u16string>> pages;
  const std::filesystem::path root = KPX_SOURCE_DIR "/../shared/corpus";
  for (const char* folder : {"tidy-cases", "pages"}) {
    for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
      if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream bytes;
      bytes << in.rdbuf();
      const std::string data = bytes.str();
      std::u16string text;
      if (FindInvalidUtf8(data)) {
        for (unsigned char c : data) text += static_cast<char16_t>(c);
      } else {
        text = ToUtf16(data);
      }
      pages.emplace_back(entry.path().filename().string(), std::move(text));
    }
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

}  // namespace kpx::testing
