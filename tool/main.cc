// scenario: compile, check, decode and draw scenario definitions.
#include <iostream>
#include <string>
#include <vector>

#include "tool/commands.h"

int main(int argc, char** argv) {
  return scenario::tool::run_scenario(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
