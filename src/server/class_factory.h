// The class factory handed out by DllGetClassObject: one per exported class.
#pragma once

#include "kpx/com.h"

namespace kpx {

// A new class factory whose CreateInstance calls create.
HRESULT CreateClassFactory(KpxCreateFunction create, REFIID riid, void** ppv);

}  // namespace kpx
