// The track `scenario import` took from a map, as its report NAME_import.json
// beside the definitions keeps it in the plan's frame: the route map and
// the live view draw it under the compiled plan, so the author sees where
// the fitted curves depart from it.
#ifndef TOOL_MAP_IMPORTED_TRACK_H_
#define TOOL_MAP_IMPORTED_TRACK_H_

#include <cstddef>
#include <string>
#include <vector>

#include "model/plan_generator.h"

namespace scenario::tool {

// Bounds of a report, read again on every change of the definitions. The
// import writes a point at least 5 m from the one before along a route of
// at most 1000 km, nested three levels deep: some 200 000 points, 8 MB.
inline constexpr size_t kLargestImportReport = size_t{16} << 20;
inline constexpr size_t kMostImportedPoints = 250000;
inline constexpr int kDeepestImportReport = 8;

struct imported_track {
  std::vector<plan_xy> points;  // metres; empty when nothing is drawn
  // Why a report that is there is not drawn, in Italian: too large, too
  // deep, not JSON, a track that is not a list of points. Empty when there
  // is no report or it holds no track.
  std::string problem;
};

// The points of the report's "track_in_plan" for `route` in `directory`,
// read within the bounds above without building the rest of the report.
imported_track read_imported_track(const std::string& directory, const std::string& route);

}  // namespace scenario::tool

#endif  // TOOL_MAP_IMPORTED_TRACK_H_
