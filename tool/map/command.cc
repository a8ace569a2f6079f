// scenario map DIR --route NAME --train NUMBER -o FILE.svg
#include <filesystem>
#include <ostream>

#include "model/compile.h"
#include "model/definition_files.h"
#include "model/diagnostics.h"
#include "model/file_names.h"
#include "model/output_files.h"
#include "tool/commands.h"
#include "tool/definitions.h"
#include "tool/map/route_map.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario map DIR --route NOME --train NUMERO -o FILE.svg\n"
    "Compila in memoria NOME_linea.txt e NOME_NUMERO-.txt della cartella DIR e disegna\n"
    "in FILE.svg la pianta della linea (gallerie, stazioni, segnali, rallentamenti,\n"
    "cartelli indicatori) e il profilo altimetrico con la velocita' massima.\n"
    "Con -o - il disegno va su standard output. Non scrive altro file; le definizioni\n"
    "non vengono toccate, e un file esistente che non sia un disegno SVG non viene\n"
    "sovrascritto.\n"
    "Uscita: 0 disegno scritto, 1 errore nelle definizioni, 2 comando o file non validi.\n";

namespace fs = std::filesystem;

bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  const fs::path ca = fs::weakly_canonical(a, ec);
  const fs::path cb = fs::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

// Why the picture may not be written to `target`; empty when it may.
std::string output_problem(const std::string& target, const definition_set& set) {
  for (const std::string& name :
       {line_definition_name(set.route), train_definition_name(set.route, set.train), route_plan_name(set.route),
        item_table_name(set.route, set.train), route_cells_name(set.route, set.train)}) {
    const std::string path = path_in(set.directory, name);
    if (same_file(target, path)) return target + " e' un file dello scenario (" + name + "): scegli un altro nome";
  }
  std::error_code ec;
  if (!fs::exists(target, ec)) return "";
  if (!fs::is_regular_file(target, ec)) return target + " esiste e non e' un file";
  // An empty file loses nothing; anything else must be a drawing already.
  const auto old = read_whole_file(target);
  if (!old) return target + " esiste ma non si puo' leggere";
  const size_t first = old->find_first_not_of(" \t\r\n");
  const bool svg = first == std::string::npos ||
                   ((old->compare(first, 5, "<?xml") == 0 || old->compare(first, 4, "<svg") == 0) &&
                    old->find("<svg") != std::string::npos);
  if (!svg) return target + " esiste e non e' un disegno SVG: non lo sovrascrivo";
  return "";
}

}  // namespace

int run_map(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
  const auto start = start_command("map", words, {"-o"}, {}, kHelp, out, err, &status);
  if (!start) return status;
  const auto output = start->args.value("-o");
  if (!output || output->empty()) {
    err << "scenario map: manca -o FILE.svg, il file del disegno\n" << kHelp;
    return kExitUsage;
  }
  const bool to_stdout = *output == "-";
  if (!to_stdout) {
    if (const std::string problem = output_problem(*output, start->set); !problem.empty()) {
      err << "scenario map: " << problem << "\n";
      return kExitUsage;
    }
  }
  scenario_model model = model_for(start->set);
  // A model that stopped halfway would draw a line that is not the author's.
  if (const fault_state fault = reported_fault(compile_scenario(model, 1, start->texts))) {
    err << format_fault(fault, start->set.paths());
    err << "scenario map: nessun disegno scritto\n";
    return kExitFault;
  }

  const std::string svg = route_map_svg(model);
  if (to_stdout) {
    out << svg;
    return kExitClean;
  }
  try {
    replace_file(*output, svg);
  } catch (const file_error& e) {
    err << "scenario map: " << e.what() << "\n";
    return kExitUsage;
  }
  return kExitClean;
}

}  // namespace scenario::tool
