#include "tool/import/track_reference.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace scenario::tool::import {
namespace {

// Half the span, in metres, over which a heading is taken: long enough to
// average a metre of noise in the coordinates, and at least the length of
// the segment it lies on, so that a polyline of sparse nodes turns smoothly
// through each node instead of all at once.
constexpr double kMinHalfSpan = 25;
constexpr double kMaxHalfSpan = 150;
// Half the span the points themselves are averaged over: a metre of noise
// in dense nodes is smoothed, the shape of a curve is not.
constexpr int64_t kPointHalfSpan = 10;

struct resampled {
  std::vector<double> x, y;
  std::vector<double> segment;  // length of the polyline segment metre i lies on
};

// A point every metre along the polyline, from 0 to its whole length.
resampled resample(std::span<const track_xy> track) {
  resampled r;
  double along = 0;  // chainage of track[k]
  double next = 0;   // chainage of the next point wanted
  for (size_t k = 0; k + 1 < track.size(); ++k) {
    const double dx = track[k + 1].x - track[k].x;
    const double dy = track[k + 1].y - track[k].y;
    const double len = std::hypot(dx, dy);
    if (len <= 0) continue;
    for (; next <= along + len; next += 1) {
      const double t = (next - along) / len;
      r.x.push_back(track[k].x + t * dx);
      r.y.push_back(track[k].y + t * dy);
      r.segment.push_back(len);
    }
    along += len;
  }
  if (r.x.empty()) {
    r.x.push_back(track.front().x);
    r.y.push_back(track.front().y);
    r.segment.push_back(0);
  }
  return r;
}

// Mean of v over [i - h, i + h], the span shrunk symmetrically at the ends;
// `sum` holds the prefix sums of v.
double window_mean(const std::vector<double>& sum, int64_t i, int64_t h) {
  const auto n = static_cast<int64_t>(sum.size()) - 1;
  h = std::min({h, i, n - 1 - i});
  return (sum[static_cast<size_t>(i + h + 1)] - sum[static_cast<size_t>(i - h)]) / static_cast<double>(2 * h + 1);
}

std::vector<double> prefix_sums(const std::vector<double>& v) {
  std::vector<double> sum(v.size() + 1, 0.0);
  for (size_t i = 0; i < v.size(); ++i) sum[i + 1] = sum[i] + v[i];
  return sum;
}

}  // namespace

double wrap_angle(double a) {
  while (a > std::numbers::pi) a -= 2 * std::numbers::pi;
  while (a < -std::numbers::pi) a += 2 * std::numbers::pi;
  return a;
}

double start_heading(std::span<const track_xy> track) {
  const resampled r = resample(track);
  const size_t to = std::min<size_t>(r.x.size() - 1, 2 * static_cast<size_t>(kMinHalfSpan));
  if (to == 0) return 0;
  return std::atan2(r.x[to] - r.x[0], r.y[to] - r.y[0]);
}

track_reference make_track_reference(std::span<const track_xy> track, int32_t extension) {
  resampled r = resample(track);
  const auto n = static_cast<int64_t>(r.x.size());
  track_reference ref;
  ref.track_end = static_cast<int32_t>(n - 1);

  // Heading: the chord from h metres behind to h metres ahead.
  std::vector<int64_t> half(static_cast<size_t>(n));
  std::vector<double> heading(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    const auto h = static_cast<int64_t>(std::clamp(r.segment[static_cast<size_t>(i)], kMinHalfSpan, kMaxHalfSpan));
    half[static_cast<size_t>(i)] = h;
    const auto a = static_cast<size_t>(std::max<int64_t>(0, i - h));
    const auto b = static_cast<size_t>(std::min(n - 1, i + h));
    heading[static_cast<size_t>(i)] =
        b > a ? std::atan2(r.x[b] - r.x[a], r.y[b] - r.y[a]) : (i > 0 ? heading[static_cast<size_t>(i - 1)] : 0.0);
  }
  for (size_t i = 1; i < heading.size(); ++i) heading[i] = heading[i - 1] + wrap_angle(heading[i] - heading[i - 1]);

  // Curvature: the change of heading over the same span, then averaged
  // over it again so that the noise left in the heading does not reach it.
  std::vector<double> turning(static_cast<size_t>(n), 0.0);
  for (int64_t i = 0; i < n; ++i) {
    const int64_t h = half[static_cast<size_t>(i)];
    const int64_t a = std::max<int64_t>(0, i - h);
    const int64_t b = std::min(n - 1, i + h);
    if (b > a) turning[static_cast<size_t>(i)] = (heading[static_cast<size_t>(b)] - heading[static_cast<size_t>(a)]) / static_cast<double>(b - a);
  }
  const std::vector<double> sum = prefix_sums(turning);
  std::vector<double> curvature(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) curvature[static_cast<size_t>(i)] = window_mean(sum, i, half[static_cast<size_t>(i)] / 2);

  const std::vector<double> sum_x = prefix_sums(r.x);
  const std::vector<double> sum_y = prefix_sums(r.y);
  ref.x.resize(static_cast<size_t>(n));
  ref.y.resize(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    ref.x[static_cast<size_t>(i)] = window_mean(sum_x, i, kPointHalfSpan);
    ref.y[static_cast<size_t>(i)] = window_mean(sum_y, i, kPointHalfSpan);
  }
  ref.heading = std::move(heading);
  ref.curvature = std::move(curvature);
  const double end_heading = ref.heading.back();
  const double ex = ref.x.back(), ey = ref.y.back();
  for (int32_t k = 1; k <= extension; ++k) {
    ref.x.push_back(ex + k * std::sin(end_heading));
    ref.y.push_back(ey + k * std::cos(end_heading));
    ref.heading.push_back(end_heading);
    ref.curvature.push_back(0.0);
  }
  return ref;
}

}  // namespace scenario::tool::import
