#include "tool/pack/zip_readme.h"

#include "model/file_names.h"

namespace scenario::tool {

std::string zip_readme(const scenario_identity& id) {
  const std::string& r = id.route_name;
  const std::string& t = id.train_number;
  const std::string title = "Scenario " + r + ", treno " + t;
  const auto row = [](const std::string& name, const char* what) {
    std::string line = "  " + name;
    line.append(name.size() < 40 ? 40 - name.size() : 1, ' ');
    return line + what + "\n";
  };
  std::string text = title + "\n" + std::string(title.size(), '=') + "\n\n" +
                     "Questa cartella contiene uno scenario pronto per il simulatore.\n\n"
                     "File che il simulatore carica:\n" +
                     row(route_plan_name(r), "tracciato della linea") +
                     row(item_table_name(r, t), "voci: stazioni, cartelli, impostazioni") +
                     row(route_cells_name(r, t), "celle del percorso, una ogni 50 m") +
                     "\nDocumenti per il macchinista (da stampare o tenere aperti):\n" +
                     row(document_name(r, t, "scheda_treno.txt"), "scheda treno") +
                     row(document_name(r, t, "rallentamenti.txt"), "rallentamenti (Modulo M. 3)") +
                     row(document_name(r, t, "note.txt"), "note dello scenario") +
                     "\nDefinizioni da cui i file sono stati compilati (testo ANSI, Windows-1252):\n" +
                     row(line_definition_name(r), "la linea") + row(train_definition_name(r, t), "il treno") +
                     "\nInstallazione\n-------------\n"
                     "Copiare i tre file compilati nella cartella in cui il simulatore cerca gli\n"
                     "scenari, accanto a quelli che gia' vi si trovano; i tre documenti si leggono\n"
                     "con il Blocco note. Le definizioni non servono al simulatore: sono qui per\n"
                     "chi vuole modificare lo scenario. Con lo strumento scenario:\n\n"
                     "  scenario.exe compile CARTELLA --route " + r + " --train " + t + "\n\n"
                     "ricompila i tre file dalle definizioni della CARTELLA.\n";
  std::string crlf;
  for (const char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

}  // namespace scenario::tool
