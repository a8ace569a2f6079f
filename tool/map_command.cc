// scenario map DIR --route NAME --train NUMBER -o FILE.svg
#include <fstream>
#include <ostream>

#include "model/compile.h"
#include "model/diagnostics.h"
#include "tool/commands.h"
#include "tool/definitions.h"
#include "tool/json.h"
#include "tool/route_map.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario map DIR --route NOME --train NUMERO -o FILE.svg\n"
    "Compila in memoria NOME_linea.txt e NOME_NUMERO-.txt della cartella DIR e disegna\n"
    "in FILE.svg la pianta della linea (gallerie, stazioni, segnali, rallentamenti,\n"
    "cartelli indicatori) e il profilo altimetrico con la velocita' massima.\n"
    "Non scrive altro file; le definizioni non vengono toccate.\n"
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
  const definition_set* set = &start->set;
  scenario_model model = model_for(*set);
  const int32_t reserved = compile_scenario(model, 1, load_options{set->directory, false, nullptr});
  // A model that stopped halfway would draw a line that is not the author's.
  const int32_t code = model.fault.error_code != 0 ? model.fault.error_code : reserved;
  if (code != 0) {
    const fault_state none{};
    err << ansi_to_utf8(format_fault(model.fault.error_code != 0 ? model.fault : none, code, set->route, set->train));
    err << "scenario map: nessun disegno scritto\n";
    return kExitFault;
  }

  const std::string svg = route_map_svg(model);
  std::ofstream file(*output, std::ios::binary | std::ios::trunc);
  file << svg;
  file.close();
  if (!file) {
    err << "scenario map: impossibile scrivere " << *output << "\n";
    return kExitUsage;
  }
  return kExitClean;
}

}  // namespace scenario::tool
