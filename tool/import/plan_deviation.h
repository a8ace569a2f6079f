// How far a route plan lies from the track it was fitted to, measured across
// the track: each plan point against the nearest segment of the polyline
// near where the previous point lay, so that a winding line is not matched
// against another of its loops that passes close by.
#ifndef TOOL_IMPORT_PLAN_DEVIATION_H_
#define TOOL_IMPORT_PLAN_DEVIATION_H_

#include <span>

#include "model/plan_generator.h"
#include "tool/import/fit.h"

namespace scenario::tool::import {

// `plan` holds the plan's points from metre 0 on; `track` is in the plan's
// frame. A plan point past the track's end is measured across the straight
// that goes on from the end along `end_heading` (radians clockwise from +y).
deviation measure_across(std::span<const plan_xy> plan, std::span<const track_xy> track, double end_heading);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_PLAN_DEVIATION_H_
