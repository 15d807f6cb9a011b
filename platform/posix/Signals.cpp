#include "platform/Signals.h"

#include <signal.h>

#include <atomic>

namespace platform {
namespace {

std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnQuitSignal(int signal) { caught.store(signal); }

}  // namespace

void CatchQuitSignals() {
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked read returns with EINTR
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

int QuitSignal() { return caught.load(); }

void ResetQuitSignal() { caught.store(0); }

}  // namespace platform
