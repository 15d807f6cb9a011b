// A test program that links CountingNew.cpp counts every allocation made
// through operator new, in any of its plain forms.
#pragma once

#include <atomic>

extern std::atomic<long> allocations;
