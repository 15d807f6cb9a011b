// SDL wakes a waiting event loop from another thread with a client message
// sent over a second X connection to its newest window. When the loop's
// thread destroys that window (a message box) before the server reads the
// message, the server answers BadWindow on that connection, and Xlib's
// default error handler would end the program with exit(1). The race is
// made certain here by grabbing the server: the other connection's message
// waits until the window is gone.
//
// Needs an X display (SDL_VIDEODRIVER=x11); tests/e2e runs it under Xvfb.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/Host.h"
#include "platform/sdl/SdlHost.h"
// Last: Xlib defines None, Bool and Status as macros.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace platform::sdl {
namespace {

Display* DisplayOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  return info.info.x11.display;
}

void WakeUpToAWindowThatHasGone() {
  std::unique_ptr<Host> host = CreateSdlHost("/tmp/");
  SDL_Window* box = SDL_CreateWindow("box", 0, 0, 100, 60, SDL_WINDOW_SHOWN);
  if (!box) std::exit(3);
  Display* display = DisplayOf(box);
  if (!display) std::exit(4);
  // Once the box's arrival has quietened down, nobody else is heard.
  SDL_Event event;
  for (int turn = 0; turn < 20 && SDL_WaitEventTimeout(&event, 100);) {
    while (SDL_PollEvent(&event)) {
    }
    ++turn;
  }
  XGrabServer(display);
  XSync(display, False);
  while (SDL_PollEvent(&event)) {
  }
  // The loop waits; a sound thread's notice wakes it, aimed at the box.
  std::thread poster([] {
    SDL_Delay(50);
    SDL_Event posted{};
    posted.type = SDL_USEREVENT;
    SDL_PushEvent(&posted);
  });
  const Uint32 start = SDL_GetTicks();
  SDL_WaitEventTimeout(&event, 300);
  const Uint32 waited = SDL_GetTicks() - start;
  poster.join();
  // Woken early, the loop was not waiting when the notice came: no race.
  if (waited < 250) std::exit(5);
  SDL_DestroyWindow(box);
  XUngrabServer(display);
  XSync(display, False);
  // Closing SDL's connections reads the server's answer to the wake-up.
  host.reset();
  std::exit(0);
}

// Any other error is still fatal, as Xlib has it.
void MapAWindowThatHasGone() {
  std::unique_ptr<Host> host = CreateSdlHost("/tmp/");
  SDL_Window* box = SDL_CreateWindow("box", 0, 0, 100, 60, SDL_WINDOW_HIDDEN);
  if (!box) std::exit(3);
  Display* display = DisplayOf(box);
  if (!display) std::exit(4);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  SDL_GetWindowWMInfo(box, &info);
  const Window gone = info.info.x11.window;
  SDL_DestroyWindow(box);
  XMapWindow(display, gone);
  XSync(display, False);
  std::exit(0);
}

bool OnX11() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  return driver && std::strcmp(driver, "x11") == 0 && std::getenv("DISPLAY");
}

TEST(X11WakeUpTest, AWakeUpAimedAtADestroyedBoxDoesNotEndTheProgramWhileOtherErrorsStillDo) {
  if (!OnX11()) GTEST_SKIP() << "needs an X display";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(WakeUpToAWindowThatHasGone(), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(MapAWindowThatHasGone(), ::testing::ExitedWithCode(1), "X_MapWindow");
}

}  // namespace
}  // namespace platform::sdl
