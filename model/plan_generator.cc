#include "model/plan_generator.h"

#include <algorithm>

namespace scenario {
namespace {

// The two points before the next one.
struct last_two {
  double x2, x1, y2, y1;
};

// The loops keep the last two points in locals, so they stay in registers
// whatever x and y point to; each point is still P(m-1) plus the difference
// P(m-1) - P(m-2) computed anew, so the values are those of one step at a
// time.
last_two straight(last_two p, double* x, double* y, int32_t n) {
  double x2 = p.x2, x1 = p.x1, y2 = p.y2, y1 = p.y1;
  for (int32_t i = 0; i < n; ++i) {
    const double x0 = x1 + (x1 - x2);
    const double y0 = y1 + (y1 - y2);
    x[i] = x0;
    y[i] = y0;
    x2 = x1, x1 = x0, y2 = y1, y1 = y0;
  }
  return {x2, x1, y2, y1};
}

last_two turn(last_two p, double c, double* x, double* y, int32_t n) {
  double x2 = p.x2, x1 = p.x1, y2 = p.y2, y1 = p.y1;
  for (int32_t i = 0; i < n; ++i) {
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    const double x0 = x1 + (dx + c * dy);
    const double y0 = y1 + (dy - c * dx);
    x[i] = x0;
    y[i] = y0;
    x2 = x1, x1 = x0, y2 = y1, y1 = y0;
  }
  return {x2, x1, y2, y1};
}

}  // namespace

int32_t plan_generator::compute(double* x, double* y, int32_t count) {
  const std::vector<plan_stretch>& stretches = plan_.stretches;
  int32_t done = 0;
  while (done < count && m_ < plan_.computed_end) {
    while (stretch_ < stretches.size() && stretches[stretch_].end <= m_) ++stretch_;
    // Past the last stretch (a plan that never records one) the track runs
    // straight on.
    const bool in_stretch = stretch_ < stretches.size();
    const int32_t end = in_stretch ? std::min(stretches[stretch_].end, plan_.computed_end) : plan_.computed_end;
    const int32_t n = std::min(count - done, end - m_);
    const double c = in_stretch ? stretches[stretch_].curvature : 0.0;
    const last_two before{x2_, x1_, y2_, y1_};
    const last_two after = c == 0.0 ? straight(before, x + done, y + done, n) : turn(before, c, x + done, y + done, n);
    x2_ = after.x2, x1_ = after.x1, y2_ = after.y2, y1_ = after.y1;
    done += n;
    m_ += n;
  }
  return done;
}

std::vector<plan_xy> sample_plan(const plan_points& plan, int32_t last, int32_t step) {
  std::vector<plan_xy> out;
  last = std::min(last, plan.computed_end - 1);
  if (last < 2 || step < 1) return out;
  out.reserve(static_cast<size_t>(last / step) + 2);
  for (int32_t m = 0; m < 2; m += step) out.push_back(kPlanStart[m]);
  constexpr int32_t kChunk = 4096;
  std::vector<double> x(kChunk), y(kChunk);
  plan_generator g(plan);
  int32_t want = ((2 + step - 1) / step) * step;  // the first multiple of step from 2 on
  while (g.next() <= last) {
    const int32_t first = g.next();
    const int32_t n = g.compute(x.data(), y.data(), std::min(kChunk, last + 1 - first));
    if (n == 0) break;
    for (; want < first + n; want += step) out.push_back({x[want - first], y[want - first]});
    if (first + n - 1 == last && (last % step) != 0) out.push_back({x[n - 1], y[n - 1]});
  }
  return out;
}

}  // namespace scenario
