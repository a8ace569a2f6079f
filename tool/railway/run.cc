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

double run_profile::time_at(double metre) const {
  if (time.empty()) return 0;
  const double i = std::round((metre - from) / step);
  return time[static_cast<size_t>(std::clamp(i, 0.0, static_cast<double>(time.size() - 1)))];
}

run_profile fastest_run(const run_line& line, const train_model& train, double from, double to,
                        const std::vector<double>& stops, double step) {
  run_profile run;
  run.from = from;
  run.step = step;
  if (!(to > from) || !(step > 0)) {
    run.speed.assign(1, 0);
    run.time.assign(1, 0);
    return run;
  }
  const auto n = static_cast<size_t>(std::ceil((to - from) / step - 1e-9)) + 1;
  // The limit in m/s and the gradient at each point, once; a stop holds 0.
  std::vector<double> cap(n), gradient(n);
  for (size_t i = 0; i < n; ++i) {
    const double m = std::min(from + static_cast<double>(i) * step, to);
    const double kmh = line.line_limit_at(m);
    cap[i] = kmh > 0 ? kmh / 3.6 : std::numeric_limits<double>::infinity();
    gradient[i] = line.gradient_at(m);
  }
  for (const run_line::restriction& r : line.restrictions) {
    const double first = std::max(std::ceil((r.from - from) / step - 1e-9), 0.0);
    for (auto i = static_cast<size_t>(first); i < n && from + static_cast<double>(i) * step < r.to; ++i) {
      cap[i] = std::min(cap[i], r.kmh / 3.6);
    }
  }
  cap.front() = 0;
  cap.back() = 0;
  for (double s : stops) {
    if (s <= from || s >= to) continue;
    cap[static_cast<size_t>(std::lround((s - from) / step))] = 0;
  }
  // Forwards: as fast as traction allows, from standing and from each stop.
  std::vector<double> forward(n), backward(n);
  for (size_t i = 1; i < n; ++i) {
    const double v = forward[i - 1];
    const double v2 = v * v + 2 * traction_acceleration(train, v, gradient[i - 1]) * step;
    forward[i] = std::min(cap[i], v2 > 0 ? std::sqrt(v2) : 0.0);
  }
  // Backwards: braking into each lower limit and each stop.
  for (size_t i = n - 1; i-- > 0;) {
    const double v = backward[i + 1];
    const double v2 = v * v + 2 * braking_deceleration(train.braked_mass_percent, gradient[i]) * step;
    backward[i] = std::min(cap[i], std::sqrt(v2));
  }
  run.speed.resize(n);
  for (size_t i = 0; i < n; ++i) run.speed[i] = std::min(forward[i], backward[i]);
  // Between two points the speed changes evenly with the distance: the
  // time is the distance over the mean speed.
  run.time.assign(n, 0);
  for (size_t i = 1; i < n; ++i) {
    const double mean = (run.speed[i - 1] + run.speed[i]) / 2;
    const double d = std::min(from + static_cast<double>(i) * step, to) - (from + static_cast<double>(i - 1) * step);
    run.time[i] = run.time[i - 1] + (mean > 0 ? d / mean : std::numeric_limits<double>::infinity());
  }
  return run;
}

}  // namespace scenario::tool
