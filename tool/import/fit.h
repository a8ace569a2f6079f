// What `scenario import` fits to a track taken from a map: the curve
// records whose compiled plan follows it, and the gradient records whose
// profile follows the ground sampled along it.
#ifndef TOOL_IMPORT_FIT_H_
#define TOOL_IMPORT_FIT_H_

#include <cstdint>
#include <span>
#include <vector>

namespace scenario::tool::import {

// A point of the track in a local metric frame (metres; any orientation and
// origin), the points in running order, irregularly spaced.
struct track_xy {
  double x = 0;
  double y = 0;
};

// A curve record as the line definition holds it.
struct fitted_curve {
  int32_t start = 0;   // m from the start of the route
  int32_t length = 0;  // m
  int sharpness = 1;   // the key's digit, 1 (gentlest) to 6 (sharpest)
  bool left = false;   // "curvas" rather than "curvad"
};

// How far the compiled plan departs from the track, measured across it.
struct deviation {
  double max = 0;     // m
  double rms = 0;     // m
  double max_at = 0;  // m from the start of the route, where `max` lies
};

// A stretch of the track that turns more sharply than the sharpest curve
// record: the plan cannot follow it there and cuts across the bend.
struct sharp_stretch {
  int32_t start = 0;   // m from the start of the route
  int32_t length = 0;  // m
  double radius = 0;   // m, the smallest along the stretch
};

struct plan_fit {
  std::vector<fitted_curve> curves;  // ascending, not overlapping
  std::vector<sharp_stretch> too_sharp;  // ascending
  deviation across;                  // the plan the compile computes against the track
  // Metres along the compiled plan from its start to the route's length:
  // more than the route where curves have lengthened the plan's steps, so
  // a place at metre m of the route is drawn a little further along.
  double plan_length = 0;
  // The track's points moved into the plan's frame (the route starts at
  // (0, 0) heading along +y), for drawing the track under the plan.
  std::vector<track_xy> track_in_plan;
};

// Chooses the curve records for a route of `route_length` metres that
// follows `track` (its length along the polyline is the route's length).
plan_fit fit_plan(std::span<const track_xy> track, int32_t route_length);

// The ground's altitude at a place of the route. `ground` is false where the
// track does not lie on the ground (a tunnel, a bridge): the altitude there
// is not used and the profile is interpolated between the ends.
struct altitude_sample {
  double at = 0;        // m from the start of the route
  double altitude = 0;  // m
  bool ground = true;
};

// A gradient record as the line definition holds it.
struct fitted_gradient {
  int32_t start = 0;   // m
  int32_t per_mille = 0;  // positive uphill
};

struct profile_fit {
  std::vector<fitted_gradient> gradients;  // ascending; the first at 0
  double start_altitude = 0;               // m, for the definition's comment
  deviation vertical;                      // the fitted profile against the samples, in m
};

// Fits whole-per-mille gradient records, each at least `min_length` metres
// long (the last may be shorter), to the samples (ascending `at`).
profile_fit fit_profile(std::span<const altitude_sample> samples, int32_t route_length, int32_t min_length);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_FIT_H_
