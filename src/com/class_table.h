// The in-process class table behind CoCreateInstance and KpxRegisterClass.
//
// The document stand-ins live in modules above this one, so they are not entered here: each
// offers a Register...Classes function, and whatever assembles a process (the shared library when
// it is loaded, x2x, a test) calls them before the first lookup. A host that registers its own
// class for one of their identifiers afterwards replaces it.
#pragma once

#include "kpx/com.h"
