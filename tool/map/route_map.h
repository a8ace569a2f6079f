// The picture of a compiled scenario: the ground plan of the track with its
// tunnels, stations, signals, slowdowns and name boards, and below it the
// gradient profile with the speed limit. Pure functions from the model to
// SVG text, drawn from the features of the model (features.h) through
// one SVG writer (svg_writer.h), with labels placed by label_placer.h.
#ifndef TOOL_ROUTE_MAP_H_
#define TOOL_ROUTE_MAP_H_

#include <string>
#include <vector>

#include "model/model.h"
#include "model/plan_generator.h"
#include "tool/map/label_placer.h"
#include "tool/map/features.h"
#include "tool/map/svg_writer.h"

namespace scenario::tool {

// The whole picture as one SVG document; `imported`, when given, is the
// track an import took from a map, drawn under the plan.
std::string route_map_svg(const scenario_model& model, const std::vector<plan_xy>& imported = {});

}  // namespace scenario::tool

#endif  // TOOL_ROUTE_MAP_H_
