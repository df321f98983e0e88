// The forward stages: the pipeline, the direct conversion, recognition to page XML, fragments,
// synchronization and the pre-patch pass alone.
#pragma once

#include "forward/conversion_engine.h"

namespace kpx {

class ForwardEngine : public ConversionEngine {
 public:
  HRESULT RunPipeline(ConverterContext& context, IDispatch* page, std::u16string_view text,
                      uint32_t flags, StageReport& report, std::u16string* xml) override;
  HRESULT RecognizeFragment(ConverterContext& context, IDispatch* parent, std::u16string_view text,
                            StageReport& report, FragmentComponents* components) override;
  HRESULT PrePatch(ConverterContext& context, IDispatch* page, std::u16string_view text, int option,
                   std::u16string* out) override;
  HRESULT DirectConversion(ConverterContext& context, IDispatch* page, std::u16string_view text,
                           uint32_t flags, StageReport& report, std::u16string* xml) override;
  HRESULT RecognizeToXml(ConverterContext& context, IDispatch* page, std::u16string_view text,
                         StageReport& report, std::optional<std::u16string>* xml) override;
  HRESULT RecognizeWithProfile(ConverterContext& context, IDispatch* page, std::u16string_view text,
                               IDispatch* profile, std::u16string_view target,
                               std::optional<std::u16string>* xml) override;
  HRESULT Synchronize(ConverterContext& context, IDispatch* page, std::u16string_view text,
                      bool marked, bool warnings, StageReport& report) override;
};

}  // namespace kpx
