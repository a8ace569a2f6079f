#include "tool/import/plan_steer.h"

#include <algorithm>
#include <cmath>

#include "model/record_fields.h"

namespace scenario::tool::import {
namespace {

// The length over which the walk brings an offset from the track back to
// it, critically damped: short enough to hold a few metres, long enough
// that a metre of noise in the track does not set the plan weaving.
constexpr double kResponse = 60;
constexpr double kOffsetGain = 1 / (kResponse * kResponse);
constexpr double kHeadingGain = 2 / kResponse;
// A class is held at least this long, so that a curve between two classes
// becomes alternating records of some length rather than a record a metre.
constexpr int32_t kMinHold = 12;
// How much nearer the wanted curvature must be to another class than to the
// one held, as a share of the gap between them, before the walk changes.
constexpr double kHysteresis = 0.2;
// How far ahead the track's curvature is taken: the plan turns a little
// after it is asked to.
constexpr int32_t kLead = 4;

double level(int q) { return q == 0 ? 0.0 : (q > 0 ? 1 : -1) * kCurveCurvature[std::abs(q) - 1]; }

int nearest_level(double c) {
  int best = 0;
  for (int q = -6; q <= 6; ++q) {
    if (std::abs(c - level(q)) < std::abs(c - level(best))) best = q;
  }
  return best;
}

}  // namespace

std::vector<int8_t> steer_plan(const track_reference& track, int32_t route_length) {
  std::vector<int8_t> classes(static_cast<size_t>(std::max(route_length, 1)) + 1, 0);
  const auto last_ref = static_cast<int64_t>(track.x.size()) - 1;
  // The plan's two latest points, as the compile computes them.
  double x2 = 0, y2 = 0, x1 = 0, y1 = 1;
  int64_t j = 1;  // the track's metre nearest the plan's latest point
  int held = 0;
  int32_t held_for = 0;
  for (int32_t m = 2; m <= route_length; ++m) {
    const double dx = x1 - x2, dy = y1 - y2;
    const double step = std::hypot(dx, dy);
    const auto dist2 = [&](int64_t i) {
      const auto k = static_cast<size_t>(i);
      return (track.x[k] - x1) * (track.x[k] - x1) + (track.y[k] - y1) * (track.y[k] - y1);
    };
    const int64_t from = std::max<int64_t>(0, j - 3), to = std::min(last_ref, j + 6);
    for (int64_t i = from; i <= to; ++i) {
      if (dist2(i) < dist2(j)) j = i;
    }
    const auto k = static_cast<size_t>(j);
    const double h = track.heading[k];
    // Offset to the right of the track, heading turned to the right of it.
    const double offset = (x1 - track.x[k]) * std::cos(h) - (y1 - track.y[k]) * std::sin(h);
    const double heading_error = wrap_angle(std::atan2(dx, dy) - h);
    const double ahead = track.curvature[static_cast<size_t>(std::min(last_ref, j + kLead))];
    // A step turns by c against a step `step` long.
    const double wanted = (ahead - kHeadingGain * heading_error - kOffsetGain * offset) * step;
    const int q = nearest_level(wanted);
    if (q != held && held_for >= kMinHold &&
        std::abs(wanted - level(held)) - std::abs(wanted - level(q)) > kHysteresis * std::abs(level(q) - level(held))) {
      held = q;
      held_for = 0;
    }
    ++held_for;
    classes[static_cast<size_t>(m)] = static_cast<int8_t>(held);
    const double c = level(held);
    const double x0 = c == 0.0 ? x1 + dx : x1 + (dx + c * dy);
    const double y0 = c == 0.0 ? y1 + dy : y1 + (dy - c * dx);
    x2 = x1, y2 = y1, x1 = x0, y1 = y0;
  }
  return classes;
}

}  // namespace scenario::tool::import
