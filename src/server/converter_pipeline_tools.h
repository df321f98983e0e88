// The converter's balancing and the HTML cleaner, as the conversion pipeline runs them.
#pragma once

#include "forward/pipeline_tools.h"
#include "markup/text_edit_list.h"

namespace kpx {

class ConverterPipelineTools final : public PipelineTools {
 public:
  bool Balance(BorrowedText text, std::u16string* balanced) override;
  HRESULT Clean(std::u16string_view text, std::u16string* output,
                std::u16string* messages) override;

 private:
  TextEditList balance_edits_;  // kept from run to run, as the converter keeps its own
};

}  // namespace kpx
