#include "model/plan_generator.h"

#include <gtest/gtest.h>

#include <vector>

namespace scenario {
namespace {

// A plan of `points` points whose stretches turn both ways, computed up to
// `computed_end`.
plan_points winding_plan(int32_t points, int32_t computed_end) {
  plan_points p;
  p.sized = true;
  p.points = points;
  p.start_set = true;
  p.computed_end = computed_end;
  p.stretches = {{1000, 0.0}, {1600, 0.002}, {1601, -0.003}, {5000, 0.0}, {9000, -0.0001}, {computed_end, 0.0}};
  return p;
}

// The plan point by point, every metre held, one step at a time.
std::vector<plan_xy> every_point(const plan_points& p) {
  std::vector<plan_xy> v(static_cast<size_t>(p.computed_end));
  v[0] = kPlanStart[0];
  v[1] = kPlanStart[1];
  size_t s = 0;
  for (int32_t m = 2; m < p.computed_end; ++m) {
    while (p.stretches[s].end <= m) ++s;
    const double c = p.stretches[s].curvature;
    const double dx = v[m - 1].x - v[m - 2].x, dy = v[m - 1].y - v[m - 2].y;
    v[m] = c == 0.0 ? plan_xy{v[m - 1].x + dx, v[m - 1].y + dy}
                    : plan_xy{v[m - 1].x + (dx + c * dy), v[m - 1].y + (dy - c * dx)};
  }
  return v;
}

TEST(PlanGenerator, ChunksOfAnySizeGiveTheSameDoublesAsOneStepAtATime) {
  const plan_points plan = winding_plan(20002, 20000);
  const std::vector<plan_xy> expected = every_point(plan);
  ASSERT_GT(expected[1600].x, 100.0);  // the curves did turn the track
  for (int32_t chunk : {1, 7, 600, 4096, 50000}) {
    SCOPED_TRACE(chunk);
    plan_generator g(plan);
    std::vector<double> x(static_cast<size_t>(chunk)), y(static_cast<size_t>(chunk));
    int32_t m = 2;
    while (true) {
      ASSERT_EQ(g.next(), m);
      const int32_t n = g.compute(x.data(), y.data(), chunk);
      if (n == 0) break;
      for (int32_t i = 0; i < n; ++i, ++m) {
        // Bit for bit: the compiled file holds these Doubles.
        ASSERT_EQ(x[i], expected[m].x) << m;
        ASSERT_EQ(y[i], expected[m].y) << m;
      }
    }
    EXPECT_EQ(m, plan.computed_end);
  }
}

TEST(PlanGenerator, SamplesEveryStepAndTheLastPoint) {
  const plan_points plan = winding_plan(20002, 20000);
  const std::vector<plan_xy> all = every_point(plan);
  const struct {
    int32_t last;
    int32_t step;
    size_t count;
  } cases[] = {{19999, 1, 20000}, {19999, 5, 4001}, {10000, 7, 1430}, {19999, 20000, 2}, {50000, 10, 2001}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.last << " every " << c.step);
    const std::vector<plan_xy> s = sample_plan(plan, c.last, c.step);
    ASSERT_EQ(s.size(), c.count);
    const int32_t last = std::min(c.last, plan.computed_end - 1);
    for (size_t i = 0; i < s.size(); ++i) {
      const auto m = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(i) * c.step, last));
      EXPECT_EQ(s[i].x, all[m].x) << i;
      EXPECT_EQ(s[i].y, all[m].y) << i;
    }
  }
  plan_points nothing_computed = winding_plan(20002, 2);
  nothing_computed.stretches.clear();
  EXPECT_TRUE(sample_plan(nothing_computed, 19999, 5).empty());
}

}  // namespace
}  // namespace scenario
