// scenario map DIR --route NAME --train NUMBER -o FILE.svg
#include <ostream>

#include "model/compile.h"
#include "model/definition_files.h"
#include "model/diagnostics.h"
#include "model/file_names.h"
#include "model/output_files.h"
#include "tool/commands.h"
#include "tool/definitions.h"
#include "tool/map/imported_track.h"
#include "tool/map/route_map.h"
#include "tool/map/svg_output.h"

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
    if (const std::string problem = svg_output_problem(*output, start->set); !problem.empty()) {
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

  // The map's track is drawn beside the definitions when the import's
  // report holds one; a report that cannot be read is told, not drawn.
  const imported_track imported = read_imported_track(start->set.directory, start->set.route);
  if (!imported.problem.empty()) {
    err << "avviso: " << path_in(start->set.directory, start->set.route + "_import.json") << ": "
        << imported.problem << ": il binario della mappa non e' disegnato\n";
  }
  const std::string svg = route_map_svg(model, imported.points);
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
