// scenario check DIR --route NAME --train NUMBER
#include <algorithm>
#include <ostream>

#include "model/compile.h"
#include "model/diagnostics.h"
#include "tool/commands.h"
#include "tool/definitions.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario check DIR --route NOME --train NUMERO [--strict]\n"
    "Legge NOME_linea.txt e NOME_NUMERO-.txt della cartella DIR come li compilerebbe\n"
    "compile, senza scrivere nulla e senza toccare i file, e segnala con file, riga e\n"
    "campo ogni errore e ogni avviso: cio' che il lettore accetta ma che di rado e'\n"
    "voluto (campi ignorati, chiavi ambigue, record fuori ordine, ...).\n"
    "  --strict  gli avvisi contano come errori (uscita 1)\n"
    "Uscita: 0 nessun errore (avvisi ammessi), 1 errori nelle definizioni, 2 comando o\n"
    "file non validi.\n";

// One message, with where it points, so the report can follow the files.
struct finding {
  source_site site;
  std::string text;
};

// Line definition first, then the train definition, by line; messages
// without a place come last.
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

}  // namespace

int run_check(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
  const auto start = start_command("check", words, {}, {"--strict"}, kHelp, out, err, &status);
  if (!start) return status;
  const definition_paths paths = start->set.paths();
  scenario_model model = model_for(start->set);
  std::vector<load_warning> warnings;
  const fault_state fault = reported_fault(compile_scenario(model, 1, start->texts, &warnings));

  std::vector<finding> findings;
  for (const load_warning& w : warnings) findings.push_back({w.site, format_warning(w, paths)});
  const size_t faults = fault ? 1 : 0;
  if (fault) findings.push_back({fault.site, format_fault(fault, paths)});
  std::stable_sort(findings.begin(), findings.end(), [](const finding& a, const finding& b) {
    const int ra = file_rank(a.site.file), rb = file_rank(b.site.file);
    return ra != rb ? ra < rb : a.site.line < b.site.line;
  });
  for (const finding& f : findings) out << f.text;
  out << count_words(faults, "errore", "errori") << ", " << count_words(warnings.size(), "avviso", "avvisi") << "\n";
  if (faults != 0) return kExitFault;
  return start->args.has("--strict") && !warnings.empty() ? kExitFault : kExitClean;
}

}  // namespace scenario::tool
