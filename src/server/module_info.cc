// The shared library's own translation unit; everything else comes from the static libraries.
#include "kpx/com.h"

extern "C" KPX_API const char* KpxLibraryVersion() { return "0.1.0"; }
