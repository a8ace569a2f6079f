// The two check codes stamped into the compiled files. Both sum the ANSI
// codes of the first 25 characters of the work string: train number and
// route name, lower-cased, then the padding "aabbccddeeffgghhiillmmnnoo".
// st weights each character by its place (1 to 25), og does not.
#ifndef MODEL_CHECK_CODES_H_
#define MODEL_CHECK_CODES_H_

#include <cstdint>

#include "model/model.h"

namespace scenario {

// Each leaves its work string in model.current_field.
int32_t codice_gara_st(scenario_model& model);
int16_t codice_gara_og(scenario_model& model);

}  // namespace scenario

#endif  // MODEL_CHECK_CODES_H_
