// The track `scenario import` took from a map, as its report NAME_import.json
// beside the definitions keeps it in the plan's frame: the route map and
// the live view draw it under the compiled plan, so the author sees where
// the fitted curves depart from it.
#ifndef TOOL_MAP_IMPORTED_TRACK_H_
#define TOOL_MAP_IMPORTED_TRACK_H_

#include <string>
#include <vector>

#include "model/plan_generator.h"

namespace scenario::tool {

// The points of the report's "track_in_plan" (metres); nothing when there
// is no report for `route` in `directory` or it holds no such track.
std::vector<plan_xy> read_imported_track(const std::string& directory, const std::string& route);

}  // namespace scenario::tool

#endif  // TOOL_MAP_IMPORTED_TRACK_H_
