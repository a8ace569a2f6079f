#include "run/form_load.h"

#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "content/built_in_identity.h"
#include "content/line_definition.h"
#include "content/train_definition.h"
#include "documents/slowdown_order.h"
#include "documents/train_card.h"
#include "model/compile.h"
#include "model/definition_files.h"
#include "model/file_names.h"
#include "model/output_files.h"
#include "run/carried_scenario.h"
#include "run/error_report.h"
#include "run/kept_definitions.h"

namespace scenario {

std::string recorded_fault_text(const fault_state& fault) {
  std::string text = std::to_string(fault.error_code);
  if (fault_has_position(fault.error_code)) text += " (" + std::to_string(fault.error_position) + " m)";
  return text;
}


int compile_definitions(platform& p, const std::string& directory, const scenario_identity& id) {
  // The definitions exist only between their writers and the compile:
  // read, then deleted whatever the compile finds in them.
  const definition_texts texts = read_definitions(directory, id.route_name, id.train_number);
  std::remove(path_in(directory, line_definition_name(id.route_name)).c_str());
  std::remove(path_in(directory, train_definition_name(id.route_name, id.train_number)).c_str());

  scenario_model model;
  model.identity = id;
  const compile_result result = memorizza_percorso(model, 1, texts, directory);
  // A fault in the definitions is reported once the files are written,
  // rather than left unseen in the model; a reserved-field fault stopped
  // the compile before any was.
  if (const fault_state fault = reported_fault(result.outcome)) {
    errore(p, recorded_fault_text(fault));
    return 1;
  }
  return 0;
}

namespace {

// The built-in scenario: its definitions and papers from content/ and
// documents/.
int run_built_in(platform& p, const std::string& directory) {
  const scenario_identity id = built_in_identity();
  // An author's edit left here is kept before the program's own
  // definitions take its name.
  const std::vector<kept_definition> kept = keep_foreign_definitions(directory, id, built_in_definitions());
  if (!kept.empty()) p.notice(kept_definitions_notice(kept));
  dati_linea(directory, id);
  dati_treno(directory, id);
  write_notes(directory, id, kept);
  dati_rallentamenti(directory, id);
  dati_scheda(directory, id);
  return compile_definitions(p, directory, id);
}

// A scenario appended to the program file: its definitions and papers as
// they were packed, written as one set, then the same compile.
int run_packed(platform& p, const std::string& directory, const packed_scenario& packed) {
  const scenario_identity& id = packed.id;
  const std::vector<kept_definition> kept =
      keep_foreign_definitions(directory, id, {packed.line_definition, packed.train_definition});
  if (!kept.empty()) p.notice(kept_definitions_notice(kept));
  const std::string notes = document_name(id.route_name, id.train_number, "note.txt");
  output_set files(directory);
  const auto write = [&](const std::string& name, const std::string& bytes) {
    files.write(name, [&](const chunk_writer& w) { w(bytes); });
  };
  write(line_definition_name(id.route_name), packed.line_definition);
  write(train_definition_name(id.route_name, id.train_number), packed.train_definition);
  for (const packed_file& paper : packed.papers) {
    write(paper.name, paper.name == notes ? notes_with_kept(paper.bytes, kept) : paper.bytes);
  }
  files.commit();
  return compile_definitions(p, directory, id);
}

}  // namespace

int Form_Load(platform& p) {
  p.show_wait_window();
  const std::string directory = p.application_directory();
  int status = 0;
  try {
    const carried_scenario carried = scenario_in_program(p.program_file());
    if (const auto* damaged = std::get_if<damaged_pack>(&carried)) {
      // Nothing is written from a scenario that did not arrive whole.
      p.show_report(damaged->reason);
      status = 2;
    } else if (const auto* packed = std::get_if<packed_scenario>(&carried)) {
      status = run_packed(p, directory, *packed);
    } else {
      status = run_built_in(p, directory);
    }
  } catch (const file_error& e) {
    p.show_report(e.what());
    status = 2;
  }
  p.close_window();
  return status;
}

}  // namespace scenario
