// The walk that chooses, metre by metre, how the route plan turns so that it
// follows the track: the plan is integrated, so every choice is made from
// where the plan really is and where it really heads, and an error of
// heading is turned away before it adds up along the line.
#ifndef TOOL_IMPORT_PLAN_STEER_H_
#define TOOL_IMPORT_PLAN_STEER_H_

#include <cstdint>
#include <vector>

#include "tool/import/track_reference.h"

namespace scenario::tool::import {

// The curvature class of each plan step, index m for the step that computes
// point m (entries 0 and 1 unused): 0 straight, 1 to 6 to the right, -1 to
// -6 to the left. Size route_length + 1.
std::vector<int8_t> steer_plan(const track_reference& track, int32_t route_length);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_PLAN_STEER_H_
