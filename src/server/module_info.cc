// The shared library's own translation unit; everything else comes from the static libraries.
#include "kpx/com.h"
#include "server/registration.h"

extern "C" KPX_API const char* KpxLibraryVersion() noexcept {
  return "0.1.0";
}

namespace {

// The document stand-ins are in the class table from the moment the library is loaded, so that a
// host may create them before it asks for a converter.
struct StandInClassesAtLoad {
  StandInClassesAtLoad() noexcept {
    try {
      kpx::RegisterStandInClasses();
    } catch (...) {
      // Out of memory while loading: CoCreateInstance answers REGDB_E_CLASSNOTREG for them.
    }
  }
} stand_in_classes_at_load;

}  // namespace
