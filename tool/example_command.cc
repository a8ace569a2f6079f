// scenario example DIR [--route NAME --train NUMBER] [--force]: the
// built-in line and train definitions as a starting point for an author's
// own.
#include <filesystem>
#include <ostream>

#include "content/built_in_identity.h"
#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/file_names.h"
#include "model/output_files.h"
#include "tool/arguments.h"
#include "tool/commands.h"
#include "tool/output_folder.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario example DIR [--route NOME --train NUMERO] [--force]\n"
    "Scrive in DIR (creata se manca) le definizioni della linea Brenvalo Terme - Morvena\n"
    "e del treno 4815, da cui partire per le proprie: NOME_linea.txt e NOME_NUMERO-.txt,\n"
    "con i nomi dati (Brenvalo_Morvena e 4815 se non se ne danno). Definizioni gia'\n"
    "presenti non vengono sostituite, se non con --force. DIR non puo' essere la cartella\n"
    "del programma Brenvalo_Morvena_4815, che vi scrive e cancella le proprie.\n"
    "Uscita: 0 scritte, 2 comando non valido, definizioni gia' presenti, cartella del\n"
    "programma o non scrivibile.\n";

}  // namespace

int run_example(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  std::string problem;
  const auto args = parse_arguments(words, {"--route", "--train"}, {"--help", "--force"}, &problem);
  if (args && args->has("--help")) {
    out << kHelp;
    return kExitClean;
  }
  if (args && args->positional.size() != 1) problem = "serve la cartella DIR";
  if (args && args->value("--route").has_value() != args->value("--train").has_value()) {
    problem = "--route e --train vanno dati insieme";
  }
  if (!problem.empty()) {
    err << "scenario example: " << problem << "\n" << kHelp;
    return kExitUsage;
  }
  scenario_identity id = built_in_identity();
  if (const auto route = args->value("--route")) id = {*route, *args->value("--train")};
  if (const auto bad = identity_problem(id.route_name, id.train_number)) {
    err << "scenario example: " << *bad << "\n";
    return kExitUsage;
  }
  const std::string& directory = args->positional[0];
  if (const auto refused = program_folder_problem(directory, "scenario example esempio")) {
    err << "scenario example: " << *refused << "\n";
    return kExitUsage;
  }
  const std::string line = path_in(directory, line_definition_name(id.route_name));
  const std::string train = path_in(directory, train_definition_name(id.route_name, id.train_number));
  std::error_code ec;
  for (const std::string& path : {line, train}) {
    if (std::filesystem::exists(path, ec) && !args->has("--force")) {
      err << "scenario example: " << path << " esiste gia': non lo sostituisco (con --force si')\n";
      return kExitUsage;
    }
  }
  std::filesystem::create_directories(directory, ec);
  if (ec || !std::filesystem::is_directory(directory, ec)) {
    err << "scenario example: impossibile creare la cartella " << directory << "\n";
    return kExitUsage;
  }
  try {
    dati_linea(directory, id);
    dati_treno(directory, id);
  } catch (const file_error& e) {
    err << "scenario example: " << e.what() << "\n";
    return kExitUsage;
  }
  out << line << "\n" << train << "\n";
  return kExitClean;
}

}  // namespace scenario::tool
