// scenario compile DIR --route NAME --train NUMBER [--no-plan] [--json]
#include <ostream>

#include "model/compile.h"
#include "model/diagnostics.h"
#include "model/file_names.h"
#include "model/output_files.h"
#include "tool/commands.h"
#include "tool/definitions.h"
#include "tool/json.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario compile DIR --route NOME --train NUMERO [--no-plan] [--json]\n"
    "Compila NOME_linea.txt e NOME_NUMERO-.txt della cartella DIR nei file binari\n"
    "NOME_linea.dat (non con --no-plan), NOME_NUMERO.sim e NOME_NUMERO.dat, nella stessa\n"
    "cartella. I file di definizione non vengono mai toccati.\n"
    "Un errore nelle definizioni e' scritto su standard error con file, riga e campo;\n"
    "con --json il risultato e' un oggetto JSON su standard output.\n"
    "Uscita: 0 nessun errore, 1 errore nelle definizioni, 2 comando o file non validi.\n";

void print_json(std::ostream& out, const definition_set& set, const fault_state& fault, int32_t code,
                const std::vector<std::string>& files) {
  out << "{\"error_code\": " << code << ", \"error_position\": ";
  if (code != 0 && fault_has_position(code)) {
    out << fault.error_position;
  } else {
    out << "null";
  }
  out << ", \"file\": ";
  if (code != 0 && fault.site.file != definition_file::none) {
    out << json_string(definition_name(fault.site.file, set.route, set.train));
  } else {
    out << "null";
  }
  out << ", \"line\": ";
  if (code != 0 && fault.site.line > 0) {
    out << fault.site.line;
  } else {
    out << "null";
  }
  out << ", \"message\": " << json_string(code != 0 ? fault_headline(fault, code, set.route, set.train) : "")
      << ", \"files\": [";
  for (size_t i = 0; i < files.size(); ++i) out << (i ? ", " : "") << json_string(files[i]);
  out << "]}\n";
}

}  // namespace

int run_compile(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
  const auto start = start_command("compile", words, {}, {"--no-plan", "--json"}, kHelp, out, err, &status);
  if (!start) return status;
  const arguments* args = &start->args;
  const definition_set* set = &start->set;
  scenario_model model = model_for(*set);
  compile_result result;
  try {
    result = memorizza_percorso(model, args->has("--no-plan") ? 0 : 1, load_options{set->directory, false});
  } catch (const file_error& e) {
    err << "scenario: " << e.what() << "\n";
    return kExitUsage;
  }
  const int32_t code = result.reserved_fault != 0 ? result.reserved_fault : model.fault.error_code;
  // A reserved-field fault belongs to no record: an earlier fault's site
  // must not be shown with it.
  const fault_state shown = result.reserved_fault != 0 ? fault_state{} : model.fault;
  if (args->has("--json")) {
    print_json(out, *set, shown, code, result.files);
  } else if (code != 0) {
    err << ansi_to_utf8(format_fault(shown, code, set->route, set->train));
  }
  return code == 0 ? kExitClean : kExitFault;
}

}  // namespace scenario::tool
