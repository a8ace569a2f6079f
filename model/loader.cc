#include "model/loader.h"

namespace scenario {

void memorizza_dati(scenario_model& model, const load_options& options) {
  (void)model;
  (void)options;
}

}  // namespace scenario
