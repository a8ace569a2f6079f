#include "run/kept_definitions.h"

#include <filesystem>
#include <span>
#include <string_view>

#include "content/line_definition.h"
#include "content/line_document.h"
#include "content/train_definition.h"
#include "documents/scenario_notes.h"
#include "model/definition_files.h"
#include "model/file_names.h"
#include "model/output_files.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

// The first "<name>.N.bak" that names nothing in `directory`.
std::string free_backup_name(const std::string& directory, const std::string& name) {
  for (int n = 1;; ++n) {
    const std::string backup = name + "." + std::to_string(n) + ".bak";
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path_in(directory, backup), ec))) return backup;
  }
}

}  // namespace

own_definitions built_in_definitions() {
  return {line_document_bytes(line_definition_lines()), line_document_bytes(train_definition_lines())};
}

std::vector<kept_definition> keep_foreign_definitions(const std::string& directory, const scenario_identity& id,
                                                      const own_definitions& own) {
  struct definition {
    std::string name;
    const std::string& bytes;
  };
  const definition definitions[] = {{line_definition_name(id.route_name), own.line},
                                    {train_definition_name(id.route_name, id.train_number), own.train}};
  std::vector<kept_definition> kept;
  for (const definition& d : definitions) {
    const std::string path = path_in(directory, d.name);
    std::error_code ec;
    // Anything but a file (a folder) stays where it is: writing over it
    // fails and is reported.
    if (!fs::is_regular_file(path, ec)) continue;
    // One that cannot be read is not known to be the program's: kept too.
    const std::optional<std::string> bytes = read_whole_file(path);
    if (bytes && *bytes == d.bytes) continue;
    const std::string backup = free_backup_name(directory, d.name);
    fs::rename(path, path_in(directory, backup), ec);
    if (ec) {
      throw file_error("impossibile mettere da parte " + path + " (diverso dalla definizione del programma): " +
                       ec.message());
    }
    kept.push_back({d.name, backup});
  }
  return kept;
}

std::string kept_definitions_notice(const std::vector<kept_definition>& kept) {
  std::string text;
  for (const kept_definition& k : kept) {
    text += k.name + " era diverso dalla definizione del programma: conservato come " + k.backup + "\n";
  }
  text +=
      "Il programma scrive nella propria cartella le sue definizioni e poi le cancella: per le proprie usare "
      "una cartella a parte (vedere LEGGIMI.txt).";
  return text;
}

std::vector<std::string> kept_definitions_note_lines(const std::vector<kept_definition>& kept) {
  std::vector<std::string> lines = {"", " Attenzione: in questa cartella c'erano definizioni diverse da quelle del",
                                    " programma, conservate cosi':"};
  for (const kept_definition& k : kept) lines.push_back("   " + k.name + " -> " + k.backup);
  lines.push_back(" Il programma scrive qui le proprie definizioni e poi le cancella: per le");
  lines.push_back(" proprie usare una cartella a parte (vedere LEGGIMI.txt).");
  return lines;
}

void write_notes(const std::string& directory, const scenario_identity& id, const std::vector<kept_definition>& kept) {
  if (kept.empty()) {
    dati_note(directory, id);
    return;
  }
  replace_file(path_in(directory, document_name(id.route_name, id.train_number, "note.txt")),
               notes_with_kept(line_document_bytes(scenario_notes_lines()), kept));
}

std::string notes_with_kept(std::string notes, const std::vector<kept_definition>& kept) {
  if (kept.empty()) return notes;
  for (const std::string& line : kept_definitions_note_lines(kept)) notes += line + "\r\n";
  return notes;
}

}  // namespace scenario
