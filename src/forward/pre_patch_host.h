// The pre-patch pass's dealings with the host: the style name and site language it captures
// (and copies into the project for later runs), and the template block lookup.
#pragma once

#include "forward/conversion_engine.h"
#include "forward/pre_patch.h"

namespace kpx {

// Reads "useDynamicStyles", the style name and the site language from the page's project (the
// saved copies "_defaultStyle" and "_siteLanguage" with option bit 0x40; otherwise "defaultStyle"
// and "siteLanguage", which are then saved as those copies, with "useDynamicStyles" saved as
// "_useDynamicStyles"). A page without a model or a project gives empty values.
PrePatchSettings ReadPrePatchSettings(IDispatch* page, int option);

// The block lookup through the bound application (every block unknown without one).
class HostBlockLookup final : public BlockLookup {
 public:
  explicit HostBlockLookup(HostApplication* application) : application_(application) {}
  void Lookup(std::u16string_view name, LONG state1, LONG state2, LONG* result1,
              LONG* result2) override;

 private:
  HostApplication* application_;
};

// The pre-patch pass run for an operation: the host values read, the lookup bound.
PrePatchResult RunPrePatch(const ConverterContext& context, IDispatch* page, BorrowedText text,
                           int option);

}  // namespace kpx
