// Receiver of the tokenizer's warnings about the scanned text.
#pragma once

#include <cstddef>
#include <string_view>

namespace kpx {

// Message keys of the tokenizer's warnings.
inline constexpr std::u16string_view kWarnUnclosedHtmlString = u"XX_UnclosedHTMLString";
inline constexpr std::u16string_view kWarnUnclosedScriptString = u"XX_UnclosedScriptString";
inline constexpr std::u16string_view kWarnMissedSpaceBetweenAttributes =
    u"XX_MissedSpaceBetweenAttributes";

class WarningSink {
 public:
  // key is one of the keys above, offset a character offset into the scanned text (the receiver
  // turns it into a line and column with TextScanner::PositionToLine); argument is always 0.
  virtual void Report(std::u16string_view key, size_t offset, int argument) = 0;

 protected:
  ~WarningSink() = default;
};

}  // namespace kpx
