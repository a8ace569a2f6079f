// What the live view shows, made anew from the two definitions each time
// they change: the faults and warnings `check` lists, and the drawing of
// the last compile without a fault, which a fault leaves in place, marked
// out of date, until the definitions compile again.
#ifndef TOOL_SERVE_STATE_H_
#define TOOL_SERVE_STATE_H_

#include <iosfwd>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "model/definition_files.h"
#include "model/loader.h"
#include "tool/definition_findings.h"
#include "tool/definitions.h"

namespace scenario::tool {

class live_scenario {
 public:
  explicit live_scenario(definition_set set) : set_(std::move(set)) {}

  // Compiles the definitions' text in memory and makes the state anew.
  void update(const definition_texts& texts);
  // The same for the definitions as read: one that is there but cannot be
  // read (a folder, too large) is that fault, not a missing definition.
  void update_from(const definition_reads& reads);

  // The state as the page receives it, one JSON object:
  //   revisione    counts the updates, from 1
  //   percorso, treno, definizioni (the two paths as given)
  //   errore       the fault compile reports, as one line, or null
  //   aggiornato   false when the drawing is older than the definitions
  //   diagnostica  every fault and warning in file order: gravita
  //                ("errore"/"avviso"), codice or tipo, file, riga,
  //                colonna, messaggio, testo (the line check prints) and
  //                posizione (metres, or null)
  //   non_elencati how many more findings diagnostica leaves out: it
  //                lists the first thousand
  //   errori, avvisi  the totals
  //   disegno      null until a compile without a fault, else: revisione
  //                (of the update that drew it), lunghezza (route
  //                length), vista (tool/serve/view_data.h), corsa (the
  //                fastest run: da, passo, velocita km/h and tempi s with
  //                the stops, from the first station; partenza; orario
  //                [{m, t}] from the departure; null without stations),
  //                oggetti (of
  //                each object along the line its tipo, nome, inizio, fine,
  //                livello and a slowdown's velocita), stazioni (nome,
  //                posizione)
  const nlohmann::json& state() const { return state_; }
  // The state as one line of JSON, written once per update and shared by
  // every request and event stream that sends it.
  const std::shared_ptr<const std::string>& state_text() const { return state_text_; }
  // What the drawing's objects are, all said (tool/serve/objects.h), as
  // one line of JSON: {revisione, oggetti}; null before the first drawing.
  const std::shared_ptr<const std::string>& objects_text() const { return objects_text_; }

 private:
  void show(const definition_check& found);

  definition_set set_;
  int revision_ = 0;
  nlohmann::json drawing_;  // null until a compile without a fault
  nlohmann::json state_;
  std::shared_ptr<const std::string> state_text_;
  std::shared_ptr<const std::string> objects_text_ = std::make_shared<const std::string>("null");
};

// Watches the two definitions: a change counts once the same text has been
// read twice in a row, so an editor caught halfway through saving is not
// compiled. A read that failed for want of descriptors says nothing about
// the files: it is told once on `err` and the state stays as it was.
class definition_watch {
 public:
  definition_watch(definition_set set, definition_texts first, std::ostream& err);

  // True when the definitions now hold a settled new text, in *reads.
  bool changed(definition_reads* reads);

 private:
  definition_set set_;
  std::ostream& err_;
  definition_reads seen_;  // what the state was made from
  definition_reads last_;  // what the previous poll read
  bool starved_ = false;
};

}  // namespace scenario::tool

#endif  // TOOL_SERVE_STATE_H_
