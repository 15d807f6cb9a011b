// A test program that links CountingNew.cpp counts every allocation made
// through operator new, in any of its plain forms, and the largest single
// request since a test last set largestAllocation to 0.
#pragma once

#include <atomic>
#include <cstddef>

extern std::atomic<long> allocations;
extern std::atomic<std::size_t> largestAllocation;
