// The pool of play requests and the channel operations' internals.
#pragma once

#include "mixer/Session.h"

namespace mixer {

constexpr int kRequestPoolSize = 100;

// Links all 100 requests into the free list, record 0 first.
void ResetRequestPool();
// The head of the free list with its next cleared, or nil when all are in use.
MixPlayRequest* TakeRequest();
// Pushes a request back onto the front of the free list; nil is ignored.
void ReturnRequest(MixPlayRequest* request);
// How many requests are in the free list (for tests and tools).
int FreeRequestCount();

}  // namespace mixer
