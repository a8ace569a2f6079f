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
    "  dump FILE [--json] [--csv] [--every M]\n"
    "      mostra in chiaro un file compilato (.dat delle celle, .sim, _linea.dat)\n"
    "  map DIR --route NOME --train NUMERO -o FILE.svg\n"
    "      disegna la pianta e il profilo della linea\n"
    "  check DIR --route NOME --train NUMERO\n"
    "      come compile, senza scrivere file, e con avvisi sugli errori silenziosi\n"
    "  example DIR\n"
    "      scrive in DIR le definizioni della linea e del treno di esempio\n"
    "  lsp\n"
    "      server del Language Server Protocol per gli editor: errori mentre si scrive\n"
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
  if (command == "dump") return scenario::tool::run_dump(args, std::cout, std::cerr);
  if (command == "map") return scenario::tool::run_map(args, std::cout, std::cerr);
  if (command == "check") return scenario::tool::run_check(args, std::cout, std::cerr);
  if (command == "example") return scenario::tool::run_example(args, std::cout, std::cerr);
  if (command == "lsp") return scenario::tool::run_lsp(args, std::cout, std::cerr);
  std::cerr << "scenario: comando sconosciuto: " << command << "\n" << kHelp;
  return scenario::tool::kExitUsage;
}
