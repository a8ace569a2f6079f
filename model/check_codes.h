// The two check codes stamped into the compiled files. Both sum the ANSI
// codes of the first 25 characters of the work string: train number and
// route name, lower-cased, then the padding "aabbccddeeffgghhiillmmnnoo".
// st weights each character by its place (1 to 25), og does not.
#ifndef MODEL_CHECK_CODES_H_
#define MODEL_CHECK_CODES_H_

#include <cstdint>
#include <string>

#include "model/model.h"

namespace scenario {

// The work string both codes are computed from, padding included.
std::string check_code_work_string(const scenario_model& model);

int32_t codice_gara_st(const scenario_model& model);
int16_t codice_gara_og(const scenario_model& model);

}  // namespace scenario

#endif  // MODEL_CHECK_CODES_H_
