#include "support/failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {

// Allocations still allowed before one fails; negative: no limit.
long g_allocations_left = -1;
long g_refused = 0;

void* Allocate(std::size_t size) {
  if (g_allocations_left == 0) {
    ++g_refused;
    throw std::bad_alloc();
  }
  if (g_allocations_left > 0) --g_allocations_left;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

void* AllocateOrNull(std::size_t size) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

namespace kpx::testing {

void LimitAllocations(long allowed) {
  g_refused = 0;
  g_allocations_left = allowed;
}

void UnlimitAllocations() {
  g_allocations_left = -1;
}

long RefusedAllocations() {
  return g_refused;
}

}  // namespace kpx::testing

// Every form the libraries call (sorting asks for its buffer without exceptions), so that each
// fails in turn and each is freed by its own kind.
void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
