// The filter over the cleaner's reports.
#include "forward/cleaner_messages.h"

namespace kpx {

bool CleanerMessagesWorthShowing(std::u16string_view messages) {
  if (messages.find(u"discarding") != messages.npos) return true;
  if (messages.find(u"isn't allowed") != messages.npos) return true;
  constexpr std::u16string_view kMissing = u"missing";
  for (size_t at = messages.find(kMissing); at != messages.npos;
       at = messages.find(kMissing, at + kMissing.size())) {
    const std::u16string_view rest = messages.substr(at);
    if (rest.starts_with(u"missing <!DOCTYPE>") || rest.starts_with(u"missing 'title'")) continue;
    return true;
  }
  return false;
}

}  // namespace kpx
