// scenario: compile, decode and draw scenario definitions.
#include <iostream>
#include <string>
#include <vector>

#include "tool/commands.h"

namespace {

constexpr char kHelp[] =
    "uso: scenario COMANDO ...\n"
    "  compile DIR --route NOME --train NUMERO [--no-plan] [--json]\n"
    "      compila le definizioni di DIR nei file binari, con diagnostica degli errori\n"
    "Ogni comando ha il suo --help.\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::cout << kHelp;
    return args.empty() ? scenario::tool::kExitUsage : scenario::tool::kExitClean;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "compile") return scenario::tool::run_compile(args, std::cout, std::cerr);
  std::cerr << "scenario: comando sconosciuto: " << command << "\n" << kHelp;
  return scenario::tool::kExitUsage;
}
