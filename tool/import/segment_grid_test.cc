// The segments near a place: every one within the reach, whatever the
// cell size, the segment's length or the place.
#include "tool/import/segment_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace scenario::tool::import {
namespace {

double distance(track_xy p, track_xy a, track_xy b) {
  const double dx = b.x - a.x, dy = b.y - a.y, span = dx * dx + dy * dy;
  const double u = span > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / span, 0.0, 1.0) : 0.0;
  return std::hypot(a.x + u * dx - p.x, a.y + u * dy - p.y);
}

TEST(SegmentGrid, FindsEverySegmentWithinTheReach) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> step(-300, 300), place(-2000, 12000);
  // A wandering polyline with short and long segments and a repeated point.
  std::vector<track_xy> points = {{0, 0}, {0, 0}, {5000, 3}, {5001, 4}};
  for (int i = 0; i < 200; ++i) points.push_back({points.back().x + step(random) + 40, points.back().y + step(random)});
  for (const double cell : {1.0, 30.0, 250.0, 4000.0}) {
    const segment_grid grid(points, cell);
    for (int q = 0; q < 300; ++q) {
      const track_xy p = {place(random), place(random) / 4};
      const double reach = q % 3 == 0 ? 0 : cell * (q % 5);
      std::vector<uint32_t> found = grid.near(p, reach);
      std::sort(found.begin(), found.end());
      for (uint32_t i = 0; i + 1 < points.size(); ++i) {
        if (distance(p, points[i], points[i + 1]) > reach) continue;
        EXPECT_TRUE(std::binary_search(found.begin(), found.end(), i)) << cell << " " << q << " " << i;
      }
    }
  }
  // No place at all, or far beyond any route: nothing, and no overflow.
  const segment_grid grid(points, 100);
  EXPECT_TRUE(grid.near({std::nan(""), 0}, 100).empty());
  EXPECT_TRUE(grid.near({1e300, -1e300}, 100).empty());
}

}  // namespace
}  // namespace scenario::tool::import
