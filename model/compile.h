// memorizza_percorso: the compile. Clears the item table, loads both
// definitions, post-processes the cells, stamps the format marks and check
// codes into their reserved fields and writes the compiled files.
#ifndef MODEL_COMPILE_H_
#define MODEL_COMPILE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/findings.h"
#include "model/loader.h"
#include "model/model.h"

namespace scenario {

inline constexpr int16_t kCellsFormatMark = 5121;
inline constexpr int16_t kItemsFormatMark = 610;

// What a compile found: the last fault the loader or the post-processing
// recorded (the files are still written from the tables), and a reserved
// field found set (1250 or 1251: nothing may be written).
struct compile_outcome {
  fault_state recorded;
  fault_code reserved = kNoFault;
  // The reserved-field fault as reported: at the record whose object
  // wrote into cell 1, naming the record that pushed a code point there.
  fault_state reserved_fault;
};

// The one fault a compile reports, whoever shows it: a reserved-field
// fault, which stops the compile before anything is written, else the
// fault recorded last. No fault: error_code 0.
fault_state reported_fault(const compile_outcome& outcome);

// Reads both definitions, places their records, post-processes the cells
// and stamps the reserved fields: everything but the writing. `j` non-zero
// selects line mode. `line_read`, when given, is called as soon as the
// line definition is read without a fault (see memorizza_dati): a
// compiled_files_writer begins the route plan there.
compile_outcome compile_scenario(scenario_model& model, int32_t j, const definition_texts& texts,
                                 std::vector<load_warning>* warnings = nullptr,
                                 const std::function<void()>& line_read = {});

// The format marks, then the check codes, each only into reserved
// fields still 0. Returns 0, 1250 or 1251.
fault_code stamp_reserved_fields(scenario_model& model);

// True when the model holds route cells to write; a load that stopped
// before the route length leaves none, and then no file is written.
bool has_route_cells(const scenario_model& model);

// True when the compiled files may be written from the model: route cells
// exist and no reserved field was found set.
bool can_write(const scenario_model& model, const compile_outcome& outcome);

struct compile_result {
  compile_outcome outcome;
  std::vector<std::string> files;  // paths written, in order
};

// The program's compile: writes whatever the tables hold, as long as
// can_write allows it, the route plan from the moment the line definition
// is read.
compile_result memorizza_percorso(scenario_model& model, int32_t j, const definition_texts& texts,
                                  const std::string& directory);

}  // namespace scenario

#endif  // MODEL_COMPILE_H_
