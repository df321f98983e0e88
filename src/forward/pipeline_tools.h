// What the conversion pipeline needs from outside the forward module: the converter's own head
// and body balancing and the HTML cleaner, configured as the pipeline runs it. The server wires
// them in; tests may put in their own (an identity cleaner, for example).
#pragma once

#include <string>
#include <string_view>

#include "kpx/com.h"
#include "markup/text_scanner.h"

namespace kpx {

class PipelineTools {
 public:
  virtual ~PipelineTools() = default;

  // Balances text: false when that changes nothing (*balanced is left alone), so that the
  // pipeline goes on with text itself; true with the balanced text in *balanced.
  virtual bool Balance(BorrowedText text, std::u16string* balanced) = 0;

  // One cleaner run in HTML mode with the pipeline's extension switches. *messages receives the
  // cleaner's reports, one per line.
  virtual HRESULT Clean(std::u16string_view text, std::u16string* output,
                        std::u16string* messages) = 0;
};

}  // namespace kpx
