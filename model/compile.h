// memorizza_percorso: the compile. Clears the item table, loads both
// definitions, post-processes the cells, stamps the format marks and check
// codes into their reserved fields and writes the compiled files.
#ifndef MODEL_COMPILE_H_
#define MODEL_COMPILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/loader.h"
#include "model/model.h"

namespace scenario {

inline constexpr int16_t kCellsFormatMark = 5121;
inline constexpr int16_t kItemsFormatMark = 610;
inline constexpr int32_t kFormatMarkFault = 1250;
inline constexpr int32_t kCheckCodeFault = 1251;

// Steps 1 to 6: everything but the writing. `j` non-zero selects line mode.
// Returns 0, or 1250/1251 when a reserved field was found set (nothing may
// then be written). Faults of the definitions stay in model.fault.
int32_t compile_scenario(scenario_model& model, int32_t j, const load_options& options);

// Steps 5 and 6: format marks, then check codes, each only into reserved
// fields still 0. Returns 0, 1250 or 1251.
int32_t stamp_reserved_fields(scenario_model& model);

// True when the model holds route cells to write; a load that stopped
// before the route length leaves none, and then no file is written.
bool has_route_cells(const scenario_model& model);

// Steps 7 to 9: route plan (line mode), item table, route cells, replaced
// together. Returns the paths written. Throws file_error.
std::vector<std::string> write_compiled_files(const scenario_model& model, const std::string& directory);

struct compile_result {
  int32_t reserved_fault = 0;      // 1250 or 1251: nothing written
  std::vector<std::string> files;  // paths written, in order
};

compile_result memorizza_percorso(scenario_model& model, int32_t j, const load_options& options);

}  // namespace scenario

#endif  // MODEL_COMPILE_H_
