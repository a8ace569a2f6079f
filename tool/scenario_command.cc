// The command line of `scenario`: the first word names the command, the
// rest is the command's own.
#include <ostream>
#include <string>
#include <vector>

#include "model/record_fields.h"
#include "tool/commands.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario COMANDO ...\n"
    "  compile DIR --route NOME --train NUMERO [--no-plan] [--json] [--strict] [--write-on-fault]\n"
    "      compila le definizioni di DIR nei file binari, con diagnostica degli errori\n"
    "  dump FILE [--json | --csv] [--every M] [--da M] [--a M]\n"
    "      mostra in chiaro un file compilato (.dat delle celle, .sim, _linea.dat)\n"
    "  map DIR --route NOME --train NUMERO -o FILE.svg\n"
    "      disegna la pianta e il profilo della linea\n"
    "  orario DIR --route NOME --train NUMERO [-o FILE.svg] [--json] [--sosta S] ...\n"
    "      tempi di percorrenza minimi, margini dell'orario, diagrammi velocita' e tempo\n"
    "  documenti DIR --route NOME --train NUMERO [-o CARTELLA] [--note FILE] ...\n"
    "      scrive la scheda treno, il Modulo M. 3 e le note del macchinista\n"
    "  check DIR --route NOME --train NUMERO [--strict] [--json]\n"
    "      come compile, senza scrivere file: ogni errore e ogni avviso\n"
    "  example DIR [--route NOME --train NUMERO] [--force]\n"
    "      scrive in DIR le definizioni della linea e del treno di esempio\n"
    "  pack DIR --route NOME --train NUMERO -o FILE [--program PROGRAMMA]\n"
    "      un programma che porta lo scenario (o con FILE.zip un archivio da installare)\n"
    "  import ESTRATTO --from LUOGO --to LUOGO --route NOME --train NUMERO -o DIR [--dem FILE|DIR] ...\n"
    "      una prima bozza delle definizioni da una mappa OpenStreetMap (binario, curve, pendenze)\n"
    "  lsp\n"
    "      server del Language Server Protocol per gli editor: errori mentre si scrive\n"
    "  serve DIR --route NOME --train NUMERO [--port N] [--open] [--host H]\n"
    "      mostra la linea in una pagina web che segue le modifiche alle definizioni\n"
    "  help [COMANDO]\n"
    "      questo aiuto, o quello di un comando (come COMANDO --help)\n"
    "  help campi\n"
    "      i record delle due definizioni, campo per campo\n"
    "Le opzioni si scrivono --route NOME o --route=NOME; --version dice la versione.\n"
    "Uscita: 0 nessun errore (avvisi ammessi), 1 errori nelle definizioni (o avvisi con\n"
    "--strict), 2 comando non valido o file illeggibile o non valido.\n";

using command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

command find_command(const std::string& name) {
  if (name == "compile") return run_compile;
  if (name == "dump") return run_dump;
  if (name == "map") return run_map;
  if (name == "check") return run_check;
  if (name == "example") return run_example;
  if (name == "lsp") return run_lsp;
  if (name == "serve") return run_serve;
  if (name == "orario") return run_orario;
  if (name == "pack") return run_pack;
  if (name == "import") return run_import;
  if (name == "documenti") return run_documenti;
  return nullptr;
}

}  // namespace

int run_scenario(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kHelp;
    return kExitUsage;
  }
  const std::string name = args[0];
  args.erase(args.begin());
  if (name == "--help" || name == "-h" || (name == "help" && args.empty())) {
    out << kHelp;
    return kExitClean;
  }
  if (name == "--version") {
    out << "scenario " << SCENARIO_VERSION << "\n";
    return kExitClean;
  }
  if (name == "help" && args[0] == "campi") {
    out << field_reference();
    return kExitClean;
  }
  if (name == "help") {
    if (const command c = find_command(args[0])) return c({"--help"}, out, err);
    err << "scenario: comando sconosciuto: " << args[0] << "\n" << kHelp;
    return kExitUsage;
  }
  if (const command c = find_command(name)) return c(args, out, err);
  err << "scenario: " << (name[0] == '-' ? "opzione sconosciuta: " : "comando sconosciuto: ") << name << "\n"
      << kHelp;
  return kExitUsage;
}

}  // namespace scenario::tool
