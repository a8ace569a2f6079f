// The ground plan as the route map and the live view show it: turned so
// that the line runs from left to right, start to end, at one scale for
// both axes.
#ifndef TOOL_MAP_PLAN_VIEW_H_
#define TOOL_MAP_PLAN_VIEW_H_

#include <cstdint>
#include <vector>

#include "model/model.h"
#include "model/plan_generator.h"
#include "tool/map/label_placer.h"

namespace scenario::tool {

// It holds one point every few metres, taken from the plan as it is
// computed; between them it interpolates.
class plan_view {
 public:
  plan_view(const scenario_model& m, int32_t length);

  bool valid() const { return last_ >= 0; }
  int32_t last() const { return last_; }

  // In metres: x along the chord from start to end, y to its left (up on
  // the screen), measured from the start of the line.
  map_point turned_at(double metre) const;
  // The box the turned plan fills, in metres.
  map_box turned_bounds() const { return {u0_, v0_, u1_, v1_}; }

  // Fits the plan into a frame `width` wide and at most `max_height` tall.
  void fit(double left, double top, double width, double max_height);
  double height() const { return height_; }
  double scale() const { return scale_; }  // units per metre

  // Where `metre` lies in the fitted frame, y down.
  map_point at(double metre) const { return screen(turned_at(metre)); }
  // Any point of the plan's frame (an imported track's), turned as the
  // plan is, in metres; and where it lies in the fitted frame.
  map_point turned_point(plan_xy p) const { return {p.x * dx_ + p.y * dy_, -p.x * dy_ + p.y * dx_}; }
  map_point screen_point(plan_xy p) const { return screen(turned_point(p)); }
  // Screen direction of north, a unit vector.
  map_point north() const { return {dy_, -dx_}; }

  std::vector<map_point> stretch(double from, double to, double step) const;

 private:
  // Along the chord, and to its left.
  map_point turned(size_t sample) const { return turned_point(samples_[sample]); }
  map_point screen(map_point uv) const { return {ox_ + (uv.x - u0_) * scale_, oy_ + (v1_ - uv.y) * scale_}; }

  static constexpr int32_t kSampleStep = 5;      // metres
  static constexpr int32_t kMaxSamples = 40000;
  std::vector<plan_xy> samples_;  // metre min(i * step_, last_)
  int32_t step_ = kSampleStep;
  int32_t last_ = -1;
  double dx_ = 0, dy_ = 1;  // unit chord; north up by default
  double u0_ = 1e300, u1_ = -1e300, v0_ = 1e300, v1_ = -1e300;
  double scale_ = 1, ox_ = 0, oy_ = 0, height_ = 0;
};

}  // namespace scenario::tool

#endif  // TOOL_MAP_PLAN_VIEW_H_
