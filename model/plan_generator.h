// The points of a route plan, computed from its stretches (model/model.h)
// in ascending order, a chunk at a time, so that no caller needs every
// metre in memory at once. Each point is P(m-1) + d with d = P(m-1) -
// P(m-2): along a straight stretch as it is, along a curve with curvature c
// turned as x += d.x + c * d.y, y += d.y - c * d.x. The operations and their
// order are fixed: the compiled file holds these exact Doubles.
#ifndef MODEL_PLAN_GENERATOR_H_
#define MODEL_PLAN_GENERATOR_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/model.h"

namespace scenario {

struct plan_xy {
  double x = 0;
  double y = 0;
};

// Points 0 and 1, stored as 16-bit integers: the track starts at (0, 0)
// heading along +y.
inline constexpr plan_xy kPlanStart[2] = {{0, 0}, {0, 1}};

class plan_generator {
 public:
  // `plan` must outlive the generator.
  explicit plan_generator(const plan_points& plan) : plan_(plan) {}

  // The point the next call to compute() begins with; 2 at first.
  int32_t next() const { return m_; }

  // Computes up to `count` points from next() on, never past the plan's
  // computed_end, into x[0..] and y[0..]. Returns how many it computed.
  int32_t compute(double* x, double* y, int32_t count);

 private:
  const plan_points& plan_;
  size_t stretch_ = 0;
  int32_t m_ = 2;
  // The two points before next().
  double x2_ = kPlanStart[0].x, y2_ = kPlanStart[0].y;
  double x1_ = kPlanStart[1].x, y1_ = kPlanStart[1].y;
};

// Every `step`-th point from 0 to `last`, and `last` itself when it does
// not fall on a step: point i of the result is metre min(i * step, last).
// `last` is cut to the plan's last computed point; nothing when the plan
// has no computed point or `step` is below 1.
std::vector<plan_xy> sample_plan(const plan_points& plan, int32_t last, int32_t step);

}  // namespace scenario

#endif  // MODEL_PLAN_GENERATOR_H_
