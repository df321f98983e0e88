// Balancing through the converter's table; the cleaner in HTML mode with the pipeline's three
// extension switches.
#include "server/converter_pipeline_tools.h"

#include "cleaner/html_cleaner.h"
#include "com/bstr.h"

namespace kpx {

std::optional<std::u16string> ConverterPipelineTools::Balance(std::u16string_view text) {
  Bstr input(text), balanced;
  // S_FALSE: a balanced text was made; S_OK (or a failure): the text is used as given.
  if (converter_.balance(input.Get(), balanced.Put()) != S_FALSE || balanced.IsNull()) {
    return std::nullopt;
  }
  return balanced.Str();
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
