// Standard output and error for a window program. Started from a console
// without redirection, Windows gives such a program neither, and what it
// says (the help, a bad option, a file it cannot read) would be lost.
#pragma once

#include <memory>

namespace platform::win32 {

// While it lives, std::cout and std::cerr, when the program was given no
// handles for them, write to the console it was started from, attaching to
// it at their first line; started without one (a shortcut, the Explorer),
// they keep the text, and the end of its life shows it in a box. With
// handles (a file, a pipe) it changes nothing.
class StartupConsole {
 public:
  StartupConsole();
  ~StartupConsole();
  StartupConsole(const StartupConsole&) = delete;
  StartupConsole& operator=(const StartupConsole&) = delete;

 private:
  struct Streams;
  std::unique_ptr<Streams> streams_;
};

}  // namespace platform::win32
