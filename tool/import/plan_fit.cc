// The curve records for a track: the track moved into the plan's frame, the
// walk that steers the plan along it, its steps joined into records, and the
// plan those records compile to measured against the track.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "model/loader.h"
#include "model/plan_generator.h"
#include "model/record_fields.h"
#include "tool/import/fit.h"
#include "tool/import/plan_deviation.h"
#include "tool/import/plan_steer.h"
#include "tool/import/track_reference.h"

namespace scenario::tool::import {
namespace {

// A stretch is told as too sharp when the track turns this much more than
// the sharpest class, over at least this length: less is noise.
constexpr double kSharpMargin = 1.1;
constexpr int32_t kSharpMinLength = 10;

// The track with its start at (0, 0) and its first heading along +y.
std::vector<track_xy> in_plan_frame(std::span<const track_xy> track) {
  const double h = start_heading(track);
  const double c = std::cos(h), s = std::sin(h);
  std::vector<track_xy> out;
  out.reserve(track.size());
  for (const track_xy& p : track) {
    const double x = p.x - track.front().x, y = p.y - track.front().y;
    out.push_back({x * c - y * s, x * s + y * c});
  }
  return out;
}

// Runs of steps of one class become records; step m turns point m, and a
// record from `start` turns the points after it.
std::vector<fitted_curve> records_of(const std::vector<int8_t>& classes) {
  std::vector<fitted_curve> out;
  size_t m = 2;
  while (m < classes.size()) {
    const int q = classes[m];
    size_t end = m;
    while (end < classes.size() && classes[end] == q) ++end;
    if (q != 0) {
      out.push_back({static_cast<int32_t>(m - 1), static_cast<int32_t>(end - m), std::abs(q), q < 0});
    }
    m = end;
  }
  return out;
}

// The plan the compile computes from the records: a line definition of the
// route's length holding them, read by the loader itself.
plan_points compiled_plan(const std::vector<fitted_curve>& curves, int32_t route_length) {
  std::string line = "[generale]\r\nlunghezza percorso, " + std::to_string(route_length) + "\r\n[curve]\r\n";
  for (const fitted_curve& c : curves) {
    line += std::string(c.left ? "curvas" : "curvad") + std::to_string(c.sharpness) + ", " + std::to_string(c.start) +
            ", " + std::to_string(c.length) + "\r\n";
  }
  line += "[fine]\r\n";
  scenario_model model;
  model.identity = {"R", "1"};
  model.line_mode = 1;
  const fault_state fault =
      memorizza_dati(model, definition_texts{line, std::string("[generale]\r\nsabbia, 300\r\n[fine]\r\n")});
  // The records are made here within the route: a refusal is a fault of
  // this code, not of the author's data.
  if (fault.error_code != 0) {
    throw std::logic_error("curve adattate rifiutate dal caricamento (errore " + std::to_string(fault.error_code) + ")");
  }
  return std::move(model.plan);
}

std::vector<sharp_stretch> too_sharp_of(const track_reference& ref) {
  std::vector<sharp_stretch> out;
  const double limit = kCurveCurvature[5] * kSharpMargin;
  int32_t i = 0;
  while (i <= ref.track_end) {
    if (std::abs(ref.curvature[static_cast<size_t>(i)]) <= limit) {
      ++i;
      continue;
    }
    double sharpest = 0;
    int32_t end = i;
    for (; end <= ref.track_end && std::abs(ref.curvature[static_cast<size_t>(end)]) > limit; ++end) {
      sharpest = std::max(sharpest, std::abs(ref.curvature[static_cast<size_t>(end)]));
    }
    if (end - i >= kSharpMinLength) out.push_back({i, end - i, 1 / sharpest});
    i = end;
  }
  return out;
}

bool has_length(std::span<const track_xy> track) {
  return std::any_of(track.begin(), track.end(),
                     [&](const track_xy& p) { return p.x != track.front().x || p.y != track.front().y; });
}

}  // namespace

plan_fit fit_plan(std::span<const track_xy> track, int32_t route_length) {
  plan_fit fit;
  if (track.empty()) return fit;
  fit.track_in_plan = in_plan_frame(track);
  if (!has_length(track) || route_length < 2) return fit;
  // The plan's metre is a little longer than the track's along a curve, and
  // the route's length may be rounded: the track goes on straight beyond its
  // end for the plan to be steered and measured there.
  const int32_t extension = route_length / 10 + 500;
  const track_reference ref = make_track_reference(fit.track_in_plan, extension);
  fit.curves = records_of(steer_plan(ref, route_length));
  fit.too_sharp = too_sharp_of(ref);
  const std::vector<plan_xy> points = sample_plan(compiled_plan(fit.curves, route_length), route_length, 1);
  fit.across = measure_across(points, fit.track_in_plan, ref.heading[static_cast<size_t>(ref.track_end)]);
  for (size_t m = 1; m < points.size(); ++m) {
    fit.plan_length += std::hypot(points[m].x - points[m - 1].x, points[m].y - points[m - 1].y);
  }
  return fit;
}

}  // namespace scenario::tool::import
