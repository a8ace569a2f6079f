#include "model/post_processing.h"

namespace scenario {

void aggiungi_codici(scenario_model& model) { (void)model; }

}  // namespace scenario
