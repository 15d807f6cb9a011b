// The entry: the game in a real window, or `--headless` driven by a script.
#include <iostream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/HeadlessRunner.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--headless") {
    return app::RunHeadless(std::vector<std::string>(args.begin() + 1, args.end()), std::cin, std::cout, std::cerr);
  }
  if (!args.empty()) {
    std::cerr << "usage: kesto [--headless [--seed N] [--script FILE]]\n";
    return 2;
  }
  return app::RunWindowed();
}
