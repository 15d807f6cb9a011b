#include "platform/Host.h"

#include <stdexcept>

namespace platform {
namespace {
Host* current = nullptr;
}

Host& Current() {
  if (!current) throw std::logic_error("no platform host is current");
  return *current;
}

void SetCurrent(Host* host) { current = host; }

bool HasCurrent() { return current != nullptr; }

}  // namespace platform
