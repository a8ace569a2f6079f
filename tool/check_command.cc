// scenario check DIR --route NAME --train NUMBER [--strict] [--json]
#include <algorithm>
#include <ostream>

#include "model/diagnostics.h"
#include "tool/commands.h"
#include "tool/definition_findings.h"
#include "tool/definitions.h"
#include "tool/report_json.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario check DIR --route NOME --train NUMERO [--strict] [--json]\n"
    "Legge NOME_linea.txt e NOME_NUMERO-.txt della cartella DIR come li compilerebbe\n"
    "compile, senza scrivere nulla e senza toccare i file, e segnala con file, riga,\n"
    "colonna e campo ogni errore (dopo un errore prosegue dal record seguente) e ogni\n"
    "avviso: cio' che il lettore accetta ma che di rado e' voluto (campi ignorati,\n"
    "chiavi ambigue, record fuori ordine o con meno campi del previsto, ...).\n"
    "  --strict  gli avvisi contano come errori (uscita 1)\n"
    "  --json    un oggetto JSON su standard output con ogni errore e avviso, i totali e\n"
    "            l'errore che riporterebbe compile\n"
    "Uscita: 0 nessun errore (avvisi ammessi), 1 errori nelle definizioni, 2 comando o\n"
    "file non validi.\n";

}  // namespace

int run_check(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
  const auto start = start_command("check", words, {}, {"--strict", "--json"}, kHelp, out, err, &status);
  if (!start) return status;
  const definition_paths paths = start->set.paths();

  const definition_check found =
      check_definitions(start->texts, scenario_identity{start->set.route, start->set.train});
  const fault_state& reported = found.reported;
  const std::vector<fault_state>& faults = found.faults;
  const std::vector<load_warning>& warnings = found.warnings;
  // A timetable that cannot be kept counts among the errors.
  const auto severe = static_cast<size_t>(std::count_if(warnings.begin(), warnings.end(), [](const load_warning& w) {
    return warning_is_fault_level(w.kind);
  }));
  const size_t errors = faults.size() + severe, mere_warnings = warnings.size() - severe;

  if (start->args.has("--json")) {
    nlohmann::json list = nlohmann::json::array();
    for (const definition_check::entry& e : found.in_order) {
      list.push_back(e.fault ? finding_json(faults[e.index], paths) : finding_json(warnings[e.index], paths));
    }
    print_json(out, nlohmann::json{{"findings", list},
                     {"errors", errors},
                     {"warnings", mere_warnings},
                     {"reported", reported ? nlohmann::json(reported.error_code) : nlohmann::json(nullptr)}});
  } else {
    for (const definition_check::entry& e : found.in_order) {
      out << (e.fault ? format_fault(faults[e.index], paths) : format_warning(warnings[e.index], paths));
    }
    out << count_words(errors, "errore", "errori") << ", " << count_words(mere_warnings, "avviso", "avvisi");
    // Of several faults, the one compile stops at.
    if (faults.size() > 1) out << "; compile riporta l'errore " << reported.error_code;
    out << "\n";
  }
  if (errors > 0) return kExitFault;
  return start->args.has("--strict") && mere_warnings > 0 ? kExitFault : kExitClean;
}

}  // namespace scenario::tool
