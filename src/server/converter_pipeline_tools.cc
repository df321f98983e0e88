// Balancing as the converter's balance does it, on the pipeline's own copy of the text; the
// cleaner in HTML mode with the pipeline's three extension switches.
#include "server/converter_pipeline_tools.h"

#include "cleaner/html_cleaner.h"
#include "textutil/head_body_balancing.h"

namespace kpx {

bool ConverterPipelineTools::Balance(BorrowedText text, std::u16string* balanced) {
  return BalanceHeadAndBodyIfNeeded(balance_edits_, text, balanced);
}

HRESULT ConverterPipelineTools::Clean(std::u16string_view text, std::u16string* output,
                                      std::u16string* messages) {
  HtmlCleaner cleaner;
  for (int option = kOmitImplicitFormSwitch; option <= kSkipAnchorFixingSwitch; ++option) {
    cleaner.SetOption(option, true);
  }
  HRESULT hr = cleaner.Run(text, output);
  if (messages) *messages = cleaner.messages();
  return hr;
}

}  // namespace kpx
