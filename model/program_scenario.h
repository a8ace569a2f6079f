// The scenario a whole program file carries, wherever a signature put it,
// and the program `scenario pack` appends a scenario to.
//
// A packed program is the program's image, then the scenario (ending with
// its trailer and mark, packed_scenario.h). A Windows program may be
// signed before or after packing, so a certificate table may stand
//   - after the image of a program that carries nothing (signed program);
//   - after the scenario, with zero bytes up to a multiple of 8 before it
//     (a packed program signed afterwards): the scenario ends where those
//     begin;
//   - between the image and the scenario (a signed program another way
//     packed, and that signed once more: the old table stays there).
// When the mark ends the file, or ends what comes before the certificate
// table that ends it, the file says it carries a scenario: then anything
// that does not fit (headers that cannot be read or that cover the
// scenario, bytes where none belong, sizes that do not match) is refused.
#ifndef MODEL_PROGRAM_SCENARIO_H_
#define MODEL_PROGRAM_SCENARIO_H_

#include <optional>
#include <string>
#include <string_view>

#include "model/packed_scenario.h"

namespace scenario {

// What the program file `file` carries: nothing (the built-in scenario:
// also a file that is no program the reader knows and ends with no mark),
// a scenario, or why what it carries is refused, in Italian.
carried_scenario scenario_in_program_file(std::string_view file);

// The program to append a scenario to: the image of `file` alone, without
// a scenario it carries and without its signature (a signature cannot
// cover a scenario added after it; the PE security directory entry is
// cleared, so that nothing points past the image). nullopt when `file` is
// no program the reader knows.
std::optional<std::string> program_to_pack(std::string_view file);

}  // namespace scenario

#endif  // MODEL_PROGRAM_SCENARIO_H_
