// What the conversion pipeline needs from outside the forward module: the converter's own head
// and body balancing and the HTML cleaner, configured as the pipeline runs it. The server wires
// them in; tests may put in their own (an identity cleaner, for example).
#pragma once

#include <string>
#include <string_view>

#include "kpx/com.h"

namespace kpx {

class PipelineTools {
 public:
  virtual ~PipelineTools() = default;

  // Balances text where it stands.
  virtual void Balance(std::u16string& text) = 0;

  // One cleaner run in HTML mode with the pipeline's extension switches. *messages receives the
  // cleaner's reports, one per line.
  virtual HRESULT Clean(std::u16string_view text, std::u16string* output,
                        std::u16string* messages) = 0;
};

}  // namespace kpx
