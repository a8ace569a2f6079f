// The scenario the program carries: the built-in one, or an author's one
// appended to the program file by `scenario pack`.
#ifndef RUN_CARRIED_SCENARIO_H_
#define RUN_CARRIED_SCENARIO_H_

#include <string>

#include "model/packed_scenario.h"

namespace scenario {

// Reads `program_file` (scenario_in_program_file): nothing appended (or no
// file named, or not a program file it knows and no mark at its end) is
// the built-in scenario; appended bytes are a scenario or, damaged, the
// reason they are refused.
carried_scenario scenario_in_program(const std::string& program_file);

}  // namespace scenario

#endif  // RUN_CARRIED_SCENARIO_H_
