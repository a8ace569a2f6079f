// scenario lsp: the language server over standard input and output.
#include <cstdio>
#include <ostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "tool/arguments.h"
#include "tool/commands.h"
#include "tool/lsp/framing.h"
#include "tool/lsp/input.h"
#include "tool/lsp/server.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario lsp [--stdio]\n"
    "Server del Language Server Protocol (3.17) su standard input e standard output,\n"
    "per le definizioni NOME_linea.txt e NOME_NUMERO-.txt aperte in un editor:\n"
    "errori e avvisi di check mentre si scrive (con la definizione compagna della\n"
    "stessa cartella, il testo non salvato dell'editor vale su quello del file),\n"
    "descrizione dei campi al passaggio del mouse, completamento di chiavi, sezioni\n"
    "e record, elenco di sezioni, stazioni, segnali, rallentamenti e gallerie.\n"
    "Non scrive e non cancella alcun file. --stdio e' accettato e non cambia nulla.\n"
    "Uscita: 0 dopo shutdown ed exit, 1 se l'editor chiude senza shutdown, 2 comando\n"
    "non valido.\n";

}  // namespace

int run_lsp(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  std::string problem;
  const auto args = parse_arguments(words, {}, {"--help", "--stdio"}, &problem);
  if (!args || !args->positional.empty()) {
    err << "scenario lsp: " << (args ? "argomenti in piu'" : problem) << "\n" << kHelp;
    return kExitUsage;
  }
  if (args->has("--help")) {
    out << kHelp;
    return kExitClean;
  }
#ifdef _WIN32
  // The protocol counts bytes: no CR LF translation on either stream.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  language_server server([](const std::string& body) {
    const std::string framed = frame_message(body);
    std::fwrite(framed.data(), 1, framed.size(), stdout);
    std::fflush(stdout);
  });
  serve_messages(*standard_input(), server, err);
  return server.exit_status();
}

}  // namespace scenario::tool
