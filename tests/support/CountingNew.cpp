// The test program's operators new and delete count allocations, so that a
// test can show that a path allocates nothing. Every plain form is replaced,
// so that each pair allocates and frees alike (the sanitizers check it).
#include "tests/support/CountingNew.h"

#include <cstdlib>
#include <new>

std::atomic<long> allocations{0};
std::atomic<std::size_t> largestAllocation{0};

namespace {
void* Allocate(std::size_t size) noexcept {
  ++allocations;
  for (std::size_t seen = largestAllocation; size > seen && !largestAllocation.compare_exchange_weak(seen, size);) {
  }
  return std::malloc(size ? size : 1);
}
}  // namespace

void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
