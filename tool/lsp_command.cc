// scenario lsp: the language server over standard input and output.
#include <algorithm>
#include <cstdio>
#include <ostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "tool/arguments.h"
#include "tool/commands.h"
#include "tool/lsp_framing.h"
#include "tool/lsp_server.h"

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

// Reads messages from `in` until exit or the end of input; a body is read
// whole once its header is in, a header a byte at a time, so the server
// never waits for bytes the client has not sent.
int serve(std::FILE* in, std::FILE* out, std::ostream& err) {
  language_server server([out](const std::string& body) {
    const std::string framed = frame_message(body);
    std::fwrite(framed.data(), 1, framed.size(), out);
    std::fflush(out);
  });
  message_framer framer;
  char buffer[65536];
  while (!server.exited()) {
    const size_t wanted = framer.body_remaining();
    if (wanted > 0) {
      const size_t n = std::fread(buffer, 1, std::min(wanted, sizeof buffer), in);
      if (n == 0) break;
      framer.feed(std::string_view(buffer, n));
    } else {
      const int c = std::fgetc(in);
      if (c == EOF) break;
      const char ch = static_cast<char>(c);
      framer.feed(std::string_view(&ch, 1));
    }
    std::string problem;
    while (auto body = framer.next(&problem)) {
      server.handle(*body);
      if (server.exited()) break;
    }
    if (!problem.empty()) err << "scenario lsp: " << problem << "\n";
  }
  return server.exit_status();
}

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
  return serve(stdin, stdout, err);
}

}  // namespace scenario::tool
