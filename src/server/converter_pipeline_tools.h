// The converter's balancing and the HTML cleaner, as the conversion pipeline runs them.
#pragma once

#include "forward/pipeline_tools.h"
#include "kpx/converter.h"

namespace kpx {

class ConverterPipelineTools final : public PipelineTools {
 public:
  // Balancing goes through the converter's own function table, as every internal caller does.
  explicit ConverterPipelineTools(IXH2XConverter& converter) : converter_(converter) {}

  std::optional<std::u16string> Balance(std::u16string_view text) override;
  HRESULT Clean(std::u16string_view text, std::u16string* output,
                std::u16string* messages) override;

 private:
  IXH2XConverter& converter_;
};

}  // namespace kpx
