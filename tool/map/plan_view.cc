#include "tool/map/plan_view.h"

#include <algorithm>
#include <cmath>

#include "tool/map/route_map_views.h"

namespace scenario::tool {

plan_view::plan_view(const scenario_model& m, int32_t length) {
  const plan_points& plan = m.plan;
  last_ = std::min<int32_t>(length, plan.computed_end - 1);
  if (!plan.sized || !plan.start_set || last_ < 2) {
    last_ = -1;
    return;
  }
  // A few metres apart, at most about kMaxSamples points for the longest
  // line: far finer than the drawing.
  step_ = std::max<int32_t>(kSampleStep, (last_ + kMaxSamples - 1) / kMaxSamples);
  samples_ = sample_plan(plan, last_, step_);
  const plan_xy end = samples_.back();
  const double chord = std::hypot(end.x, end.y);
  // A line that comes back near its start has no direction of its own:
  // keep north up then.
  if (chord > 0.2 * last_) {
    dx_ = end.x / chord;
    dy_ = end.y / chord;
  }
  for (size_t i = 0; i < samples_.size(); ++i) {
    const map_point p = turned(i);
    u0_ = std::min(u0_, p.x);
    u1_ = std::max(u1_, p.x);
    v0_ = std::min(v0_, p.y);
    v1_ = std::max(v1_, p.y);
  }
}

void plan_view::fit(double left, double top, double width, double max_height) {
  const double bw = std::max(u1_ - u0_, 1.0), bh = std::max(v1_ - v0_, 1.0);
  scale_ = std::min((width - 2 * kPlanPadX) / bw, (max_height - 2 * kPlanPadY) / bh);
  height_ = bh * scale_ + 2 * kPlanPadY;
  ox_ = left + (width - bw * scale_) / 2;
  oy_ = top + kPlanPadY;
}

map_point plan_view::turned_at(double metre) const {
  const double m = std::clamp(metre, 0.0, static_cast<double>(last_));
  const size_t i = std::min(static_cast<size_t>(m / step_), samples_.size() - 1);
  const size_t j = std::min(i + 1, samples_.size() - 1);
  const double from = static_cast<double>(i) * step_;
  const double to = std::min(static_cast<double>(j) * step_, static_cast<double>(last_));
  const double f = to > from ? (m - from) / (to - from) : 0.0;
  const map_point a = turned(i), b = turned(j);
  return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f};
}

std::vector<map_point> plan_view::stretch(double from, double to, double step) const {
  std::vector<map_point> pts;
  from = std::clamp(from, 0.0, static_cast<double>(last_));
  to = std::clamp(to, 0.0, static_cast<double>(last_));
  for (double m = from; m < to; m += step) pts.push_back(at(m));
  pts.push_back(at(to));
  if (pts.size() == 1) pts.push_back(at(to));
  return pts;
}

}  // namespace scenario::tool
