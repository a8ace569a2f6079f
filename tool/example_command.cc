// scenario example DIR: the built-in line and train definitions as a
// starting point for an author's own.
#include <filesystem>
#include <ostream>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/output_files.h"
#include "run/form_load.h"
#include "tool/arguments.h"
#include "tool/commands.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario example DIR\n"
    "Scrive in DIR le definizioni della linea Brenvalo Terme - Morvena e del treno 4815\n"
    "(Brenvalo_Morvena_linea.txt e Brenvalo_Morvena_4815-.txt), da cui partire per le proprie.\n"
    "Uscita: 0 scritte, 2 comando non valido o cartella non scrivibile.\n";

}  // namespace

int run_example(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  std::string problem;
  const auto args = parse_arguments(words, {}, {"--help"}, &problem);
  if (!args || (!args->has("--help") && args->positional.size() != 1)) {
    err << "scenario example: " << (args ? "serve la cartella DIR" : problem) << "\n" << kHelp;
    return kExitUsage;
  }
  if (args->has("--help")) {
    out << kHelp;
    return kExitClean;
  }
  const std::string& directory = args->positional[0];
  std::error_code ec;
  if (!std::filesystem::is_directory(directory, ec)) {
    err << "scenario: la cartella " << directory << " non esiste\n";
    return kExitUsage;
  }
  try {
    dati_linea(directory, built_in_identity());
    dati_treno(directory, built_in_identity());
  } catch (const file_error& e) {
    err << "scenario: " << e.what() << "\n";
    return kExitUsage;
  }
  return kExitClean;
}

}  // namespace scenario::tool
