#include "tool/railway/run.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scenario::tool {
namespace {

constexpr double kCell = 50;  // metres

}  // namespace

double run_line::line_limit_at(double metre) const {
  if (cell_limit.empty()) return 0;
  auto i = static_cast<size_t>(std::clamp(std::floor(metre / kCell), 0.0, static_cast<double>(cell_limit.size() - 1)));
  // The last cells of a route hold no limit: the one before holds.
  while (i > 0 && cell_limit[i] <= 0) --i;
  return cell_limit[i];
}

double run_line::limit_at(double metre) const {
  double kmh = line_limit_at(metre);
  for (const restriction& r : restrictions) {
    if (metre >= r.from && metre < r.to) kmh = kmh > 0 ? std::min(kmh, r.kmh) : r.kmh;
  }
  return kmh;
}

double run_line::gradient_at(double metre) const {
  if (cell_gradient.empty()) return 0;
  const auto i = static_cast<size_t>(std::clamp(std::floor(metre / kCell), 0.0, static_cast<double>(cell_gradient.size() - 1)));
  return cell_gradient[i];
}

namespace {

size_t kept_point(const run_profile& run, double metre) {
  if (metre >= run.to) return run.time.size() - 1;
  const double i = std::round((metre - run.from) / run.spacing);
  return static_cast<size_t>(std::clamp(i, 0.0, static_cast<double>(run.time.size() - 1)));
}

}  // namespace

double run_profile::time_at(double metre) const {
  if (time.empty()) return 0;
  // Past the last point the train does not get: a run ends at a point it
  // cannot pass, or at its last stop.
  if (metre > to) return std::numeric_limits<double>::infinity();
  return time[kept_point(*this, metre)];
}
double run_profile::speed_at(double metre) const { return speed.empty() ? 0 : speed[kept_point(*this, metre)]; }

run_profile fastest_run(const run_line& line, const train_model& train, double from, double to,
                        const std::vector<double>& stops, double step) {
  run_profile run;
  run.from = from;
  run.to = std::max(to, from);
  if (!(to > from) || !(step > 0)) {
    run.speed.assign(1, 0);
    run.time.assign(1, 0);
    return run;
  }
  const auto n = static_cast<size_t>(std::ceil((to - from) / step - 1e-9)) + 1;
  // Points kept: one every 10 m or so, a whole number of steps apart.
  const auto keep_every = static_cast<size_t>(std::max(1.0, std::round(10 / step)));
  run.spacing = static_cast<double>(keep_every) * step;
  auto metre = [&](size_t i) { return std::min(from + static_cast<double>(i) * step, to); };
  const size_t cells = std::max<size_t>(line.cell_gradient.size(), 1);
  auto cell_of = [&](size_t i) {
    return static_cast<size_t>(std::clamp(std::floor(metre(i) / kCell), 0.0, static_cast<double>(cells - 1)));
  };
  // Per cell of the line: its limit in m/s, its gradient and the braking
  // it allows; per point, the limit with the slowdowns and stops.
  std::vector<double> cell_gradient(cells, 0), cell_braking(cells), cell_cap(cells);
  for (size_t c = 0; c < cells; ++c) {
    if (c < line.cell_gradient.size()) cell_gradient[c] = line.cell_gradient[c];
    cell_braking[c] = 2 * braking_deceleration(train.braked_mass_percent, cell_gradient[c]) * step;
    const double kmh = line.line_limit_at(static_cast<double>(c) * kCell);
    cell_cap[c] = kmh > 0 ? kmh / 3.6 : std::numeric_limits<double>::infinity();
  }
  // Single precision: a thousandth of a metre per second is far below what
  // the run needs, and the line's longest array stays small.
  std::vector<float> cap(n);
  for (size_t i = 0; i < n; ++i) cap[i] = static_cast<float>(cell_cap[cell_of(i)]);
  for (const run_line::restriction& r : line.restrictions) {
    const double first = std::max(std::ceil((r.from - from) / step - 1e-9), 0.0);
    for (auto i = static_cast<size_t>(first); i < n && from + static_cast<double>(i) * step < r.to; ++i) {
      cap[i] = std::min(cap[i], static_cast<float>(r.kmh / 3.6));
    }
  }
  cap.front() = 0;
  cap.back() = 0;
  for (double s : stops) {
    if (s <= from || s >= to) continue;
    cap[static_cast<size_t>(std::lround((s - from) / step))] = 0;
  }
  // Backwards, in place: braking into each lower limit and each stop.
  for (size_t i = n - 1; i-- > 0;) {
    const double v = cap[i + 1];
    cap[i] = std::min(cap[i], static_cast<float>(std::sqrt(v * v + cell_braking[cell_of(i)])));
  }
  // Forwards: as fast as traction allows from the speed the train has,
  // never above the braking curve. Between two points the speed changes
  // evenly with the distance: the time is the distance over the mean speed.
  const size_t kept = (n - 1 + keep_every - 1) / keep_every + 1;
  run.speed.reserve(kept);
  run.time.reserve(kept);
  run.speed.push_back(0);
  run.time.push_back(0);
  double v = 0, t = 0;
  for (size_t i = 1; i < n; ++i) {
    const double v2 = v * v + 2 * traction_acceleration(train, v, cell_gradient[cell_of(i - 1)]) * step;
    const double next = std::min(static_cast<double>(cap[i]), v2 > 0 ? std::sqrt(v2) : 0.0);
    const double mean = (v + next) / 2;
    t += mean > 0 ? (metre(i) - metre(i - 1)) / mean : std::numeric_limits<double>::infinity();
    v = next;
    if (i % keep_every == 0 || i == n - 1) {
      run.speed.push_back(v);
      run.time.push_back(t);
    }
  }
  return run;
}

}  // namespace scenario::tool
