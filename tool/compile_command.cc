// scenario compile DIR --route NAME --train NUMBER [--no-plan] [--json]
//                  [--strict] [--write-on-fault]
#include <algorithm>
#include <ostream>
#include <sstream>

#include "model/compile.h"
#include "model/compiled_writer.h"
#include "model/diagnostics.h"
#include "model/output_files.h"
#include "tool/commands.h"
#include "tool/definitions.h"
#include "tool/report_json.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario compile DIR --route NOME --train NUMERO [--no-plan] [--json] [--strict]\n"
    "                      [--write-on-fault]\n"
    "Compila NOME_linea.txt e NOME_NUMERO-.txt della cartella DIR nei file binari\n"
    "NOME_linea.dat (non con --no-plan), NOME_NUMERO.sim e NOME_NUMERO.dat, nella stessa\n"
    "cartella. I file di definizione non vengono mai toccati. Una riga su standard output\n"
    "dice quali file sono stati scritti e quanti avvisi ci sono.\n"
    "Un errore nelle definizioni e' scritto su standard error con file, riga, colonna e\n"
    "campo, seguito dagli avvisi; i file compilati restano allora quelli di prima.\n"
    "  --write-on-fault  scrive comunque cio' che le tabelle contengono, come il programma\n"
    "  --strict          gli avvisi contano come errori (uscita 1, file di prima intatti)\n"
    "  --json            il risultato e' un oggetto JSON su standard output\n"
    "Uscita: 0 nessun errore, 1 errore nelle definizioni, 2 comando o file non validi.\n";

using json = nlohmann::json;

// A command that ended before compiling, as one JSON object.
void print_stopped(std::ostream& out, fault_code missing, const std::string& message) {
  json report = fault_json(fault_state{}, definition_paths{});
  report["error_code"] = missing == kNoFault ? json(nullptr) : json(missing);
  report["message"] = message;
  report["files"] = json::array();
  report["warnings"] = json::array();
  print_json(out, report);
}

}  // namespace

int run_compile(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  const bool as_json = std::find(words.begin(), words.end(), "--json") != words.end();
  int status = kExitClean;
  fault_code missing = kNoFault;
  std::ostringstream stopped;
  const auto start = start_command("compile", words, {}, {"--no-plan", "--json", "--strict", "--write-on-fault"},
                                   kHelp, out, as_json ? stopped : err, &status, &missing);
  if (!start) {
    if (as_json && status != kExitClean) {
      std::string message = stopped.str();
      message = message.substr(0, message.find('\n'));
      print_stopped(out, missing, message);
    }
    return status;
  }
  const arguments& args = start->args;
  const definition_set& set = start->set;
  const definition_paths paths = set.paths();
  if (const auto in_the_way = cells_would_replace_plan(set)) {
    if (as_json) {
      print_stopped(out, kNoFault, *in_the_way);
    } else {
      err << "scenario: " << *in_the_way << "\n";
    }
    return kExitUsage;
  }
  scenario_model model = model_for(set);
  std::vector<load_warning> warnings;
  // The route plan is written from the moment the line definition is read;
  // until commit() the old files stay, and dropping the writer drops it.
  compiled_files_writer writer(model, set.directory);
  const compile_outcome outcome = compile_scenario(model, args.has("--no-plan") ? 0 : 1, start->texts, &warnings,
                                                   [&] { writer.begin_plan(); });
  const fault_state fault = reported_fault(outcome);
  // Under --strict a warning is a fault, decided before anything is written.
  const bool strict_fault = args.has("--strict") && !warnings.empty();

  // An author's last good build is kept unless the compile is clean or the
  // program's behaviour is asked for.
  std::vector<std::string> files;
  if (can_write(model, outcome) && ((!fault && !strict_fault) || args.has("--write-on-fault"))) {
    try {
      files = writer.commit();
    } catch (const file_error& e) {
      if (as_json) {
        print_stopped(out, kNoFault, e.what());
      } else {
        err << "scenario: " << e.what() << "\n";
      }
      return kExitUsage;
    }
  }

  if (as_json) {
    json report = fault_json(fault, paths);
    report["files"] = files;
    report["warnings"] = warnings_json(warnings, paths);
    print_json(out, report);
  } else {
    if (fault) err << format_fault(fault, paths);
    for (const load_warning& w : warnings) err << format_warning(w, paths);
    // One line for what was written, so that a clean compile says so.
    if (!files.empty()) {
      out << "scritti";
      for (size_t i = 0; i < files.size(); ++i) out << (i == 0 ? " " : ", ") << files[i];
      out << "; " << count_words(warnings.size(), "avviso", "avvisi") << "\n";
    } else if (strict_fault && !fault) {
      err << "scenario: con --strict " << count_words(warnings.size(), "avviso conta", "avvisi contano")
          << " come errori: nessun file scritto, restano quelli di prima\n";
    }
  }
  return fault || strict_fault ? kExitFault : kExitClean;
}

}  // namespace scenario::tool
