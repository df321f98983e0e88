// Memory that runs out on request, for tests that prove every way out of a failed allocation.
//
// A program that compiles failing_allocation.cc gets global operator new and delete that refuse
// (std::bad_alloc, or null for the nothrow forms) every allocation once a set number have been
// allowed. It replaces the allocation functions for the whole program: a test program of its own.
#pragma once

namespace kpx::testing {

// Lets `allowed` more allocations succeed, then refuses every one until UnlimitAllocations.
void LimitAllocations(long allowed);
void UnlimitAllocations();
// How many allocations were refused since the last LimitAllocations.
long RefusedAllocations();

}  // namespace kpx::testing
