// The test program's operator new counts its calls, so that a test can
// show that the mixer's play path allocates nothing.
#include <atomic>
#include <cstdlib>
#include <new>

std::atomic<long> allocations{0};

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
