#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/plan_generator.h"
#include "tool/import/fit.h"
#include "tool/import/plan_deviation.h"

namespace scenario::tool::import {
namespace {

// A piece of a generated track: `length` metres turning by `curvature` per
// metre, positive to the right.
struct piece {
  double length;
  double curvature;
};

struct track_shape {
  std::vector<piece> pieces;
  double min_spacing = 10;  // m between nodes, drawn evenly between the two
  double max_spacing = 10;
  double noise = 0;         // m, each coordinate moved by up to this much
  double heading = 0.7;     // radians clockwise from +y at the start
};

// The nodes a map would hold for the shape: the exact centre line sampled at
// irregular spacing, moved by the noise, the whole turned and moved away
// from the origin so that the fit has to find the plan's frame.
std::vector<track_xy> generate(const track_shape& shape, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> spacing(shape.min_spacing, shape.max_spacing);
  std::uniform_real_distribution<double> noise(-shape.noise, shape.noise);
  std::vector<track_xy> nodes;
  double x = 5000, y = -3000, h = shape.heading;
  double next_node = 0, along = 0;
  constexpr double kStep = 0.25;
  nodes.push_back({x, y});
  for (const piece& p : shape.pieces) {
    for (double done = 0; done < p.length; done += kStep) {
      const double mid = h + p.curvature * kStep / 2;
      x += kStep * std::sin(mid);
      y += kStep * std::cos(mid);
      h += p.curvature * kStep;
      along += kStep;
      if (along >= next_node) {
        nodes.push_back({x + noise(random), y + noise(random)});
        next_node = along + spacing(random);
      }
    }
  }
  nodes.push_back({x, y});
  return nodes;
}

int32_t polyline_length(const std::vector<track_xy>& t) {
  double len = 0;
  for (size_t i = 1; i < t.size(); ++i) len += std::hypot(t[i].x - t[i - 1].x, t[i].y - t[i - 1].y);
  return static_cast<int32_t>(std::lround(len));
}

// A winding line through mountains: curves of every class and of radii in
// between, either side, with short straights, the given length.
std::vector<piece> mountain_line(double length, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> radius(340, 3000), curve(150, 700), straight(0, 300);
  std::vector<piece> out{{200, 0}};
  double done = 200;
  int side = 1;
  while (done < length) {
    out.push_back({curve(random), side / radius(random)});
    out.push_back({straight(random), 0});
    done += out[out.size() - 2].length + out.back().length;
    if (random() % 3 != 0) side = -side;
  }
  return out;
}

void expect_valid_records(const plan_fit& fit, int32_t route_length) {
  int32_t end = 0;
  for (const fitted_curve& c : fit.curves) {
    EXPECT_GE(c.start, end);
    EXPECT_GT(c.length, 0);
    EXPECT_GE(c.sharpness, 1);
    EXPECT_LE(c.sharpness, 6);
    end = c.start + c.length;
  }
  EXPECT_LE(end, route_length);
}

TEST(PlanFit, CompiledPlanFollowsGeneratedTracks) {
  const double c[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  const struct {
    const char* name;
    track_shape shape;
  } cases[] = {
      {"class 1 arc", {{{300, 0}, {3000, c[0]}, {300, 0}}}},
      {"class 2 arc", {{{300, 0}, {3000, -c[1]}, {300, 0}}}},
      {"class 3 arc", {{{300, 0}, {2500, c[2]}, {300, 0}}}},
      {"class 4 arc", {{{300, 0}, {1500, -c[3]}, {300, 0}}}},
      {"class 5 arc", {{{300, 0}, {1200, c[4]}, {300, 0}}}},
      {"class 6 arc", {{{300, 0}, {900, -c[5]}, {300, 0}}}},
      {"radius between classes", {{{200, 0}, {1500, 1 / 700.0}, {200, 0}, {2000, -1 / 3500.0}, {200, 0}}}},
      {"S-curves", {{{200, 0}, {500, c[4]}, {500, -c[4]}, {400, c[5]}, {400, -c[3]}, {300, 0}}}},
      {"irregular spacing", {{{300, 0}, {800, c[4]}, {500, 0}, {1000, -c[3]}, {300, 0}}, 1, 120}},
      {"noise of a metre", {{{300, 0}, {800, c[4]}, {500, 0}, {1000, -c[3]}, {300, 0}}, 3, 8, 1.0}},
      {"20 km mountain line", {mountain_line(20000, 7), 1, 100, 1.0, -2.0}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    const std::vector<track_xy> track = generate(k.shape, 11);
    const int32_t length = polyline_length(track);
    const plan_fit fit = fit_plan(track, length);
    expect_valid_records(fit, length);
    EXPECT_LE(fit.across.max, 5.0) << "at " << fit.across.max_at << " m";
    EXPECT_LE(fit.across.rms, 2.0);
    EXPECT_TRUE(fit.too_sharp.empty());
  }
}

TEST(PlanFit, BendSharperThanEveryClassIsToldNotFitted) {
  const std::vector<track_xy> track = generate({{{500, 0}, {150, 1 / 200.0}, {500, 0}}}, 3);
  const int32_t length = polyline_length(track);
  const plan_fit fit = fit_plan(track, length);
  expect_valid_records(fit, length);
  ASSERT_EQ(fit.too_sharp.size(), 1u);
  EXPECT_NEAR(fit.too_sharp[0].start + fit.too_sharp[0].length / 2.0, 575, 30);
  EXPECT_NEAR(fit.too_sharp[0].radius, 200, 40);
}

TEST(PlanFit, TrackMovedIntoThePlanFrame) {
  // A straight track heading south-west from far away: in the plan's frame
  // it starts at the origin and runs up +y, and needs no curve.
  std::vector<track_xy> track;
  for (int i = 0; i <= 20; ++i) track.push_back({1000 - 30.0 * i, 2000 - 40.0 * i});
  const plan_fit fit = fit_plan(track, 1000);
  EXPECT_TRUE(fit.curves.empty());
  ASSERT_EQ(fit.track_in_plan.size(), track.size());
  EXPECT_NEAR(fit.track_in_plan.back().x, 0, 1e-9);
  EXPECT_NEAR(fit.track_in_plan.back().y, 1000, 1e-9);
  EXPECT_LT(fit.across.max, 1e-6);
  EXPECT_NEAR(fit.plan_length, 1000, 1e-6);

  // Nothing to fit: no curve, no failure.
  const std::vector<track_xy> still(3, track_xy{5, 5});
  for (const auto& [points, length] : {std::pair{std::vector<track_xy>{}, 100}, std::pair{still, 100},
                                       std::pair{std::vector<track_xy>{{0, 0}, {0, 1}}, 1}}) {
    const plan_fit nothing = fit_plan(points, length);
    EXPECT_TRUE(nothing.curves.empty());
    EXPECT_EQ(nothing.track_in_plan.size(), points.size());
  }
}

TEST(PlanDeviation, MeasuredAcrossTheTrackNearItsOwnStretch) {
  // Up 1000 m and back 20 m to the side: a plan 12 m off the way up lies
  // 8 m from the way back, but is 12 m off its own stretch.
  const std::vector<track_xy> hairpin = {{0, 0}, {0, 1000}, {20, 1000}, {20, 0}};
  std::vector<plan_xy> plan;
  for (int m = 0; m <= 1000; ++m) plan.push_back({12, static_cast<double>(m)});
  const deviation d = measure_across(plan, hairpin, 0);
  EXPECT_NEAR(d.max, 12, 1e-9);
  EXPECT_NEAR(d.rms, 12, 0.2);  // less only by the top, near the crossing

  // Past the end, across the straight that continues it, not to its end.
  const std::vector<track_xy> short_track = {{0, 0}, {0, 100}};
  std::vector<plan_xy> longer;
  for (int m = 0; m <= 150; ++m) longer.push_back({m > 100 ? 3.0 : 0.0, static_cast<double>(m)});
  const deviation past = measure_across(longer, short_track, 0);
  EXPECT_NEAR(past.max, 3, 1e-9);
  EXPECT_EQ(past.max_at, 101);
}

}  // namespace
}  // namespace scenario::tool::import
