// Arbitrary text through the pre-patch pass with each option value the operations use, then the
// cleanup and the post-patch pass with no cleaner between: protections never nest, and every
// one of them is undone.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "forward/post_patch.h"
#include "forward/pre_patch.h"
#include "forward/protection.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Every protection opener is closed by the first "-->" after it, and that one is a closer.
bool ProtectionsWellFormed(std::u16string_view text) {
  for (size_t open = text.find(kpx::kProtectionOpener); open != text.npos;
       open = text.find(kpx::kProtectionOpener, open + 1)) {
    const size_t close = text.find(u"-->", open + kpx::kProtectionOpener.size());
    if (close == text.npos || close < 4) return false;
    if (text.substr(close - 4, 7) != kpx::kProtectionCloser) return false;
  }
  return true;
}

class UnknownBlocks final : public kpx::BlockLookup {
 public:
  void Lookup(std::u16string_view name, LONG, LONG, LONG* result1, LONG* result2) override {
    *result1 = name.size() % 2 ? 1 : -1;  // some blocks known, so the block stack moves
    *result2 = -1;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  constexpr int kOptions[] = {kpx::kPrePatchDesign, kpx::kPrePatchGeneration, kpx::kPrePatchPreview,
                              kpx::kPrePatchSingleton};
  UnknownBlocks blocks;
  kpx::PrePatchSettings settings;
  settings.option = kOptions[data[0] % 4];
  settings.style = u"S";
  settings.language = u"de";
  settings.blocks = &blocks;
  const std::u16string text =
      kpx::ToUtf16(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  const kpx::PrePatchResult result = kpx::PrePatch(text, settings);
  Check((result.bits & ~kpx::kPrePatchResultStart) == 0);
  if (text.find(u"__x2x__") != text.npos) return 0;  // the template's own lookalikes
  Check(ProtectionsWellFormed(result.text));
  const std::u16string restored = kpx::PostPatch(kpx::CleanUpEmptySpans(result.text));
  Check(restored.find(u"__x2x__") == restored.npos);
  return 0;
}
