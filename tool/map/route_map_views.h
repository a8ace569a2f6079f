// The parts of the route map page, internal to it: the layout and style it
// shares, and the drawing of each view.
#ifndef TOOL_ROUTE_MAP_VIEWS_H_
#define TOOL_ROUTE_MAP_VIEWS_H_

#include <string>

#include "model/model.h"
#include "model/plan_generator.h"
#include "tool/map/label_placer.h"
#include "tool/map/features.h"
#include "tool/map/svg_writer.h"

namespace scenario::tool {

constexpr double kWidth = 1400;
constexpr double kMargin = 40;
constexpr double kPlanTop = 92;
constexpr double kPlanMaxHeight = 620;
constexpr double kPlanPadX = 40;
constexpr double kPlanPadY = 90;  // room for labels above and below the track

constexpr char kFont[] = "font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\"";
constexpr double kStationFont = 12.5;
constexpr double kBoardFont = 9.5;
constexpr double kSmallFont = 10.5;

constexpr char kTrackColor[] = "#2b2b2b";
constexpr char kTunnelColor[] = "#a47a4b";
constexpr char kImportedColor[] = "#e0559a";  // the track of an import, under the plan
constexpr char kStationColor[] = "#1f4e99";
constexpr char kSignalColor[] = "#d62728";
constexpr char kSlowdownColor[] = "#f28e1c";
constexpr char kBoardColor[] = "#2e7d6b";
constexpr char kAltitudeColor[] = "#5b3a1a";
constexpr char kSpeedColor[] = "#c2185b";

// A step of 1, 2, 2.5 or 5 times a power of ten near `raw`.
double nice_step(double raw);
// A length in kilometres with the decimals it needs, to the metre:
// "1,25" for 1250 m, "0,5" for 500 m, "10" for 10 000 m.
std::string km_figure(double metres);
// A label where the placer put it, with its leader line when it has one.
void draw_label(svg_writer& svg, const label_placer::placement& p, map_point anchor, const std::string& utf8,
                double font, const std::string& attrs);
inline double label_height(double font) { return font * 1.25; }

// Each view is drawn from `top` down and returns where it ends.
// `imported`: the track an import took from a map, drawn under the plan.
double draw_plan(svg_writer& svg, const map_features& f, const scenario_model& model, double top,
                 const std::vector<plan_xy>& imported);
double draw_legend(svg_writer& svg, double top, bool imported);
double draw_profile(svg_writer& svg, const map_features& f, const scenario_model& model, double top);

}  // namespace scenario::tool

#endif  // TOOL_ROUTE_MAP_VIEWS_H_
