#include "platform/sdl/X11Errors.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <mutex>

namespace platform::sdl {
namespace {

XErrorHandler previousHandler = nullptr;

int OnXError(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
  return previousHandler ? previousHandler(display, error) : 0;
}

}  // namespace

void IgnoreWakeUpsForGoneWindows() {
  static std::once_flag installed;
  std::call_once(installed, [] { previousHandler = XSetErrorHandler(OnXError); });
}

}  // namespace platform::sdl
