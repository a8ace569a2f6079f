#include "tool/import/plan_deviation.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace scenario::tool::import {
namespace {

// How far along the track, either side of the previous point's match, a
// plan point is looked for: far more than the plan moves in a metre, far
// less than the length of a loop.
constexpr double kWindow = 50;

struct segment {
  double x, y;    // start
  double dx, dy;  // to the end
  double length;
  double along;  // chainage of the start
};

std::vector<segment> segments_of(std::span<const track_xy> track) {
  std::vector<segment> out;
  double along = 0;
  for (size_t k = 0; k + 1 < track.size(); ++k) {
    const double dx = track[k + 1].x - track[k].x;
    const double dy = track[k + 1].y - track[k].y;
    const double len = std::hypot(dx, dy);
    if (len <= 0) continue;
    out.push_back({track[k].x, track[k].y, dx, dy, len, along});
    along += len;
  }
  return out;
}

struct match {
  double distance;
  double along;
};

match nearest_on(const segment& s, const plan_xy& p, bool last, double end_heading) {
  const double t = ((p.x - s.x) * s.dx + (p.y - s.y) * s.dy) / (s.length * s.length);
  if (last && t > 1) {
    // Past the end: across the straight that continues the track.
    const double ex = s.x + s.dx, ey = s.y + s.dy;
    const double ux = std::sin(end_heading), uy = std::cos(end_heading);
    const double ahead = (p.x - ex) * ux + (p.y - ey) * uy;
    return {std::abs((p.x - ex) * uy - (p.y - ey) * ux), s.along + s.length + std::max(0.0, ahead)};
  }
  const double c = std::clamp(t, 0.0, 1.0);
  return {std::hypot(p.x - (s.x + c * s.dx), p.y - (s.y + c * s.dy)), s.along + c * s.length};
}

}  // namespace

deviation measure_across(std::span<const plan_xy> plan, std::span<const track_xy> track, double end_heading) {
  deviation d;
  const std::vector<segment> segs = segments_of(track);
  if (segs.empty() || plan.empty()) return d;
  size_t k = 0;  // a segment near the previous match
  double at = 0;  // chainage of the previous match
  double sum = 0;
  for (size_t m = 0; m < plan.size(); ++m) {
    while (k > 0 && segs[k].along > at - kWindow) --k;
    while (k + 1 < segs.size() && segs[k].along + segs[k].length < at - kWindow) ++k;
    match best{INFINITY, at};
    for (size_t i = k; i < segs.size() && segs[i].along <= at + kWindow; ++i) {
      const match here = nearest_on(segs[i], plan[m], i + 1 == segs.size(), end_heading);
      if (here.distance < best.distance) best = here;
    }
    at = best.along;
    sum += best.distance * best.distance;
    if (best.distance > d.max) {
      d.max = best.distance;
      d.max_at = static_cast<double>(m);
    }
  }
  d.rms = std::sqrt(sum / static_cast<double>(plan.size()));
  return d;
}

}  // namespace scenario::tool::import
