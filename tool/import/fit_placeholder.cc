// STAND-IN, to be replaced: trivial versions of the curve and gradient fits
// and of the elevation models, so that the map-reading side of `scenario
// import` builds and runs before the real ones (plan_fit.cc,
// profile_fit.cc, elevation*.cc) are in. It fits no curves, one level
// gradient, and opens no elevation model. Delete this file when they come.
#include <cmath>

#include "tool/import/elevation.h"
#include "tool/import/fit.h"

namespace scenario::tool::import {

plan_fit fit_plan(std::span<const track_xy> track, int32_t) {
  plan_fit out;
  if (track.empty()) return out;
  // The track turned so that it starts at (0, 0) heading along +y.
  double heading = 0;
  for (size_t i = 1; i < track.size(); ++i) {
    const double dx = track[i].x - track[0].x, dy = track[i].y - track[0].y;
    if (dx != 0 || dy != 0) {
      heading = std::atan2(dx, dy);
      break;
    }
  }
  const double c = std::cos(heading), s = std::sin(heading);
  for (const track_xy& p : track) {
    const double dx = p.x - track[0].x, dy = p.y - track[0].y;
    out.track_in_plan.push_back({dx * c - dy * s, dx * s + dy * c});
  }
  return out;
}

profile_fit fit_profile(std::span<const altitude_sample> samples, int32_t, int32_t) {
  profile_fit out;
  out.gradients.push_back({0, 0});
  if (!samples.empty()) out.start_altitude = samples.front().altitude;
  return out;
}

opened_elevation open_elevation_model(const std::string& path) {
  return {nullptr, "modello di elevazione " + path + ": lettura non ancora disponibile in questa build"};
}

}  // namespace scenario::tool::import
