// Which cleaner reports are worth showing to the user (at verbosity 3).
#pragma once

#include <string_view>

namespace kpx {

// True when the reports hold "discarding", "isn't allowed", or a "missing" that starts neither
// "missing <!DOCTYPE>" nor "missing 'title'" (the two that every fragment gets).
bool CleanerMessagesWorthShowing(std::u16string_view messages);

}  // namespace kpx
