// The forward stages as far as they are built: the direct conversion, recognition to page XML and
// synchronization. The other stages answer E_NOTIMPL (see ConversionEngine).
#pragma once

#include "forward/conversion_engine.h"

namespace kpx {

class ForwardEngine : public ConversionEngine {
 public:
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
