// scenario serve DIR --route NAME --train NUMBER [--port N] [--open] [--host H]
#include <ostream>
#include <string>

#include "model/definition_files.h"
#include "tool/commands.h"
#include "tool/definitions.h"
#include "tool/serve/server.h"
#include "tool/serve/state.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario serve DIR --route NOME --train NUMERO [--port N] [--open] [--host H]\n"
    "Compila in memoria NOME_linea.txt e NOME_NUMERO-.txt della cartella DIR e mostra in\n"
    "una pagina web la pianta e il profilo della linea, gli oggetti lungo la linea con la\n"
    "riga della definizione da cui vengono, e gli errori e gli avvisi di check. Quando\n"
    "una definizione viene salvata la pagina si aggiorna da sola; con un errore mostra\n"
    "l'errore e tiene l'ultimo disegno riuscito. Non scrive e non cancella alcun file.\n"
    "Resta attivo fino a Ctrl+C.\n"
    "  --port N  la porta (senza: 8765, o la prima libera dopo)\n"
    "  --open    apre la pagina nel browser predefinito\n"
    "  --host H  ascolta sull'indirizzo H invece che su 127.0.0.1; un indirizzo che non sia\n"
    "            di loopback (127.x.x.x, ::1, localhost) rende la pagina raggiungibile da\n"
    "            altri computer\n"
    "Uscita: 0 dopo Ctrl+C, 2 comando non valido, file illeggibili o porta occupata.\n";

std::optional<uint16_t> port_number(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const int value = std::stoi(text);
  if (value < 1 || value > 65535) return std::nullopt;
  return static_cast<uint16_t>(value);
}

}  // namespace

int run_serve(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
  const auto start = start_command("serve", words, {"--port", "--host"}, {"--open"}, kHelp, out, err, &status);
  if (!start) return status;
  server_options options;
  if (const auto port = start->args.value("--port")) {
    const auto number = port_number(*port);
    if (!number) {
      err << "scenario serve: porta non valida: " << *port << " (da 1 a 65535)\n";
      return kExitUsage;
    }
    options.port = *number;
    options.port_given = true;
  }
  if (const auto host = start->args.value("--host")) {
    options.host = *host;
    options.host_given = true;
  }
  options.open_browser = start->args.has("--open");

  live_scenario scenario(start->set);
  scenario.update(start->texts);
  definition_watch watch(start->set, start->texts, err);
  const auto poll = [&] {
    definition_reads reads;
    if (!watch.changed(&reads)) return false;
    scenario.update_from(reads);
    return true;
  };
  return serve_until_interrupted(options, scenario, poll, out, err);
}

}  // namespace scenario::tool
