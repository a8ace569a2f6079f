// scenario documenti DIR --route NAME --train NUMBER [-o DIR] [--note FILE]
//   [--sosta S] [--chilometrica crescente|decrescente]
#include <ostream>

#include "model/diagnostics.h"
#include "model/output_files.h"
#include "tool/commands.h"
#include "tool/definition_findings.h"
#include "tool/definitions.h"
#include "tool/papers/papers.h"
#include "tool/papers/papers_arguments.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario documenti DIR --route NOME --train NUMERO [-o CARTELLA] [--note FILE]\n"
    "                        [--sosta S] [--chilometrica crescente|decrescente]\n"
    "Scrive i tre documenti del macchinista dalle definizioni della cartella DIR, come li\n"
    "scrive il programma: NOME_NUMERO_scheda_treno.txt (la scheda treno),\n"
    "NOME_NUMERO_rallentamenti.txt (il Modulo M. 3) e NOME_NUMERO_note.txt (le note),\n"
    "in Windows-1252 con CR LF, nella cartella DIR o in CARTELLA. Documenti con lo stesso\n"
    "nome vengono sostituiti; le definizioni non vengono mai toccate.\n"
    "La chilometrica viene dalle progressive della linea; gli orari sono le partenze della\n"
    "definizione, gli arrivi la partenza meno la sosta (o l'arrivo della corsa piu' veloce,\n"
    "se piu' tardo), i transiti dalla corsa piu' veloce. Le caselle che le definizioni non\n"
    "dicono restano a puntini, da riempire a mano.\n"
    "  -o CARTELLA       dove scrivere i documenti (deve esistere)\n"
    SCENARIO_PAPERS_OPTIONS_HELP
    "Uscita: 0 scritti, 1 errore nelle definizioni, 2 comando o file non validi.\n";

}  // namespace

int run_documenti(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
  std::set<std::string> with_value = papers_option_names();
  with_value.insert("-o");
  const auto start = start_command("documenti", words, with_value, {}, kHelp, out, err, &status);
  if (!start) return status;
  const std::optional<papers_options> options = papers_options_from(start->args, "documenti", err);
  if (!options) return kExitUsage;

  const definition_check found = check_definitions(start->texts, scenario_identity{start->set.route, start->set.train});
  if (found.reported) {
    err << format_fault(found.reported, start->set.paths());
    err << "scenario documenti: le definizioni hanno un errore, nessun documento scritto\n";
    return kExitFault;
  }
  const std::vector<paper> papers = driver_papers(found.compiled, found.records, *options);
  std::vector<std::string> written;
  try {
    output_set files(start->args.value("-o").value_or(start->set.directory));
    for (const paper& p : papers) files.write(p.file_name, [&p](const chunk_writer& write) { write(p.bytes); });
    written = files.commit();
  } catch (const file_error& e) {
    err << "scenario documenti: " << e.what() << "\n";
    return kExitUsage;
  }
  out << "scritti";
  for (size_t i = 0; i < written.size(); ++i) out << (i == 0 ? " " : ", ") << written[i];
  out << "\n";
  return kExitClean;
}

}  // namespace scenario::tool
