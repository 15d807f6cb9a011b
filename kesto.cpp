// The entry: the game in a real window, or `--headless` driven by a script
// (`kesto --help` lists the options).
#include <iostream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "platform/Signals.h"
#ifdef _WIN32
#include "platform/win32/Console.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // A window program: its words go to the console it was started from.
  const platform::win32::StartupConsole console;
#endif
  platform::CatchQuitSignals();
  return app::Main(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout, std::cerr);
}
