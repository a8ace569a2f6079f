// scenario documenti DIR --route NAME --train NUMBER [-o DIR] [--note FILE]
//   [--sosta S] [--chilometrica crescente|decrescente]
#include <charconv>
#include <ostream>

#include "model/ansi_text.h"
#include "model/definition_files.h"
#include "model/diagnostics.h"
#include "model/output_files.h"
#include "tool/commands.h"
#include "tool/definition_findings.h"
#include "tool/definitions.h"
#include "tool/papers/papers.h"

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
    "  --note FILE       il testo delle note (ANSI o UTF-8); senza, un riassunto dello scenario\n"
    "  --sosta S         secondi di sosta a ogni fermata (30)\n"
    "  --chilometrica    la chilometrica cresce o decresce lungo il percorso (decrescente)\n"
    "Uscita: 0 scritti, 1 errore nelle definizioni, 2 comando o file non validi.\n";

// The author's notes as Windows-1252: text saved as UTF-8 (with or without
// a byte order mark) is converted, anything else is taken as it is.
std::string notes_as_ansi(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) return utf8_to_ansi(text.substr(3));
  bool multi_byte = false;
  for (size_t pos = 0; pos < text.size();) {
    const size_t at = pos;
    const uint32_t c = next_code_point(text, &pos);
    if (c == 0xFFFD && text.compare(at, 3, "\xEF\xBF\xBD") != 0) return text;  // not UTF-8
    multi_byte |= c >= 0x80;
  }
  return multi_byte ? utf8_to_ansi(text) : text;
}

}  // namespace

int run_documenti(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
  const auto start = start_command("documenti", words, {"-o", "--note", "--sosta", "--chilometrica"}, {}, kHelp,
                                   out, err, &status);
  if (!start) return status;
  papers_options options;
  if (const auto dwell = start->args.value("--sosta")) {
    int seconds = -1;
    const auto [end, ec] = std::from_chars(dwell->data(), dwell->data() + dwell->size(), seconds);
    if (ec != std::errc() || end != dwell->data() + dwell->size() || seconds < 0 || seconds > 3600) {
      err << "scenario documenti: --sosta vuole i secondi, da 0 a 3600, non \"" << *dwell << "\"\n";
      return kExitUsage;
    }
    options.timetable.dwell = seconds;
  }
  if (const auto way = start->args.value("--chilometrica")) {
    if (*way != "crescente" && *way != "decrescente") {
      err << "scenario documenti: --chilometrica vuole crescente o decrescente, non \"" << *way << "\"\n";
      return kExitUsage;
    }
    options.kilometres_rise = *way == "crescente";
  }
  if (const auto notes = start->args.value("--note")) {
    const file_read read = read_file(*notes);
    if (!read.text) {
      err << "scenario documenti: impossibile leggere " << *notes << ": " << read_problem_words(read.problem) << "\n";
      return kExitUsage;
    }
    options.notes = notes_as_ansi(*read.text);
  }

  const definition_check found = check_definitions(start->texts, scenario_identity{start->set.route, start->set.train});
  if (found.reported) {
    err << format_fault(found.reported, start->set.paths());
    err << "scenario documenti: le definizioni hanno un errore, nessun documento scritto\n";
    return kExitFault;
  }
  const std::vector<paper> papers = driver_papers(found.compiled, found.records, options);
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
