// What the live view shows, made anew from the two definitions each time
// they change: the faults and warnings `check` lists, and the drawing of
// the last compile without a fault, which a fault leaves in place, marked
// out of date, until the definitions compile again.
#ifndef TOOL_SERVE_STATE_H_
#define TOOL_SERVE_STATE_H_

#include <nlohmann/json.hpp>
#include <string>

#include "model/loader.h"
#include "tool/definitions.h"

namespace scenario::tool {

class live_scenario {
 public:
  explicit live_scenario(definition_set set) : set_(std::move(set)) {}

  // Compiles the definitions' text in memory and makes the state anew.
  void update(const definition_texts& texts);

  // The state as the page receives it, one JSON object:
  //   revisione    counts the updates, from 1
  //   percorso, treno, definizioni (the two paths as given)
  //   errore       the fault compile reports, as one line, or null
  //   aggiornato   false when the drawing is older than the definitions
  //   diagnostica  every fault and warning in file order: gravita
  //                ("errore"/"avviso"), codice or tipo, file, riga,
  //                colonna, messaggio, testo (the line check prints) and
  //                posizione (metres, or null)
  //   errori, avvisi  the totals
  //   disegno      null until a compile without a fault, else: revisione
  //                (of the update that drew it), svg, lunghezza (route
  //                length), fine_profilo (metres of the profile's last
  //                point), velocita_massima (the top of the speed limit
  //                line, km/h), oggetti (tool/serve_objects.h), stazioni
  //                (nome, posizione)
  const nlohmann::json& state() const { return state_; }
  int revision() const { return revision_; }

 private:
  definition_set set_;
  int revision_ = 0;
  nlohmann::json drawing_;  // null until a compile without a fault
  nlohmann::json state_;
};

}  // namespace scenario::tool

#endif  // TOOL_SERVE_STATE_H_
