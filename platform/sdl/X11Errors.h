// Xlib's default error handler ends the program with exit(1) on any X
// error, and SDL hands it every error it does not expect. One such error is
// routine here: SDL wakes a waiting event loop from another thread (the
// sound device's done notices) with a client message sent over a second
// X connection to its newest window. When that window is a message box the
// loop's thread has just destroyed, the server may read the message after
// the destruction and answer BadWindow; the two connections cannot be
// ordered against each other. A wake-up for a window that has gone has
// nobody left to wake, so that answer is dropped; every other error goes to
// the handler that was there before.
#pragma once

namespace platform::sdl {

// Installs the handler once per process. Call it before SDL_Init, so that
// SDL's own handler passes errors on to it and SDL_Quit puts it back before
// closing its connections.
void IgnoreWakeUpsForGoneWindows();

}  // namespace platform::sdl
