#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return tarnwick::cli::Run(args, tarnwick::SettingsStore::FromEnvironment(), std::cin, std::cout,
                            std::cerr);
}
