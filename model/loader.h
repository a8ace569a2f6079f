// memorizza_dati: reads the line definition and then the train definition
// of the model's identity from a directory into the model, placing every
// record, and records the first fault that stops it in model.fault.
#ifndef MODEL_LOADER_H_
#define MODEL_LOADER_H_

#include <string>
#include <vector>

#include "model/model.h"

namespace scenario {

struct load_options {
  std::string directory;
  // The program deletes its own intermediate definitions once read; an
  // author's files given to the command-line tool are never touched.
  bool delete_definitions = true;
  // When set, receives what the reader accepts but an author rarely means.
  std::vector<load_warning>* warnings = nullptr;
};

void memorizza_dati(scenario_model& model, const load_options& options);

}  // namespace scenario

#endif  // MODEL_LOADER_H_
