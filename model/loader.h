// memorizza_dati: reads the line definition and then the train definition
// into the model, placing every record, and returns the fault that stopped
// it (or the last one recorded). It reads text, not files: opening, reading
// and deleting the definition files belong to whoever calls it.
#ifndef MODEL_LOADER_H_
#define MODEL_LOADER_H_

#include <functional>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/findings.h"
#include "model/model.h"

namespace scenario {

// The two definitions as their files hold them (Windows-1252 bytes);
// nullopt for a file that does not exist or cannot be read.
struct definition_texts {
  std::optional<std::string> line;
  std::optional<std::string> train;
};

// `warnings`, when given, receives what the reader accepts but an author
// rarely means. `line_read`, when given, is called once the line definition
// is read without a fault, before the train definition: from then on the
// route plan, the line mode and the identity no longer change.
fault_state memorizza_dati(scenario_model& model, const definition_texts& texts,
                           std::vector<load_warning>* warnings = nullptr,
                           const std::function<void()>& line_read = {});

// What a record places along the line.
enum class record_object { gradient, curve, tunnel, speed_board, name_board, speed, signal, slowdown, code_point, station };

// A record that places something along the line, as the loader read it
// from its definition: for views that name the line an object comes from.
struct loaded_record {
  record_object kind = record_object::gradient;
  definition_file file = definition_file::none;
  int32_t line = 0;              // the line of its key
  std::string key;               // as written (Windows-1252)
  std::vector<int64_t> numbers;  // its number fields as read, in order
  std::string text;              // a board's inscription, a station's name (Windows-1252)
  bool whole = true;             // false: refused, or cut short by a field that could not be read
};

// Reads on past every fault, at the next record, as a checker does, and
// returns each fault found in the order found. The model is left as such a
// reading leaves it: it is for the faults, not for writing. `records`, when
// given, receives every record that places something, in file order, the
// line definition first.
std::vector<fault_state> every_load_fault(scenario_model& model, const definition_texts& texts,
                                          std::vector<load_warning>* warnings = nullptr,
                                          std::vector<loaded_record>* records = nullptr);

}  // namespace scenario

#endif  // MODEL_LOADER_H_
