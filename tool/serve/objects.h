// What the live view says about each object along the line: what it is,
// where it stands (metres, km, route cell), its fields in words and the
// definition line it comes from. Built from the definitions' records and
// the model they compiled into.
#ifndef TOOL_SERVE_OBJECTS_H_
#define TOOL_SERVE_OBJECTS_H_

#include <nlohmann/json.hpp>
#include <vector>

#include "model/loader.h"
#include "model/model.h"

namespace scenario::tool {

// One JSON object per object along the line, in the records' order (a
// slowdown is followed by its warning board):
//   tipo     stable name of the kind ("segnale", "avviso", ...)
//   nome     what it is, in words
//   inizio, fine   metres from the start (equal for a point object)
//   km       the position in kilometres, in words
//   cella    the route cell or cells it occupies, in words
//   campi    [name, value in words] for each field
//   fonte    "<definition file name>:<line>", with file and riga apart
//   stazione a station's name (stations only)
//   velocita a slowdown's speed in km/h (slowdowns only)
// `model` must be the compile of the definitions the records come from.
nlohmann::json line_objects(const std::vector<loaded_record>& records, const scenario_model& model);

// "km 5,950": metres as kilometres with a decimal comma.
std::string km_words(int64_t metres);

}  // namespace scenario::tool

#endif  // TOOL_SERVE_OBJECTS_H_
