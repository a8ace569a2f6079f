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

// Line definition first, then the train definition, by line and column;
// findings without a place come last.
int file_rank(definition_file f) {
  switch (f) {
    case definition_file::line: return 0;
    case definition_file::train: return 1;
    case definition_file::none: break;
  }
  return 2;
}

std::string count_words(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// One fault or warning, with where it points.
struct finding {
  source_site site;
  const fault_state* fault = nullptr;
  const load_warning* warning = nullptr;
};

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

  // At one place a warning comes first: it usually explains the fault.
  std::vector<finding> findings;
  for (const load_warning& w : warnings) findings.push_back({w.site, nullptr, &w});
  for (const fault_state& f : faults) findings.push_back({f.site, &f, nullptr});
  std::stable_sort(findings.begin(), findings.end(), [](const finding& a, const finding& b) {
    const int ra = file_rank(a.site.file), rb = file_rank(b.site.file);
    if (ra != rb) return ra < rb;
    return a.site.line != b.site.line ? a.site.line < b.site.line : a.site.column < b.site.column;
  });

  if (start->args.has("--json")) {
    nlohmann::json list = nlohmann::json::array();
    for (const finding& f : findings) {
      list.push_back(f.fault != nullptr ? finding_json(*f.fault, paths) : finding_json(*f.warning, paths));
    }
    print_json(out, nlohmann::json{{"findings", list},
                     {"errors", faults.size()},
                     {"warnings", warnings.size()},
                     {"reported", reported ? nlohmann::json(reported.error_code) : nlohmann::json(nullptr)}});
  } else {
    for (const finding& f : findings) {
      out << (f.fault != nullptr ? format_fault(*f.fault, paths) : format_warning(*f.warning, paths));
    }
    out << count_words(faults.size(), "errore", "errori") << ", " << count_words(warnings.size(), "avviso", "avvisi");
    // Of several faults, the one compile stops at.
    if (faults.size() > 1) out << "; compile riporta l'errore " << reported.error_code;
    out << "\n";
  }
  if (!faults.empty()) return kExitFault;
  return start->args.has("--strict") && !warnings.empty() ? kExitFault : kExitClean;
}

}  // namespace scenario::tool
