// The entry: the game in a real window, or `--headless` driven by a script
// (`kesto --help` lists the options).
#include <iostream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "platform/Signals.h"

int main(int argc, char** argv) {
  platform::CatchQuitSignals();
  return app::Main(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout, std::cerr);
}
