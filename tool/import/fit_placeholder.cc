// STAND-IN, to be replaced: trivial versions of the curve and gradient fits
// and of the elevation models, so that the map-reading side of `scenario
// import` builds and runs before the real ones (plan_fit.cc,
// profile_fit.cc, elevation*.cc) are in. It fits no curves, one level
// gradient, and opens no elevation model. Delete this file when they come.
#include "tool/import/elevation.h"
#include "tool/import/fit.h"

namespace scenario::tool::import {

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
