#include "cleaner/tidy_mutex.h"

namespace kpx {

std::mutex& TidyMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace kpx
