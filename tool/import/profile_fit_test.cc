// The gradient fit on profiles of known shape: what records it gives, and
// how far their profile lies from the true one, not only from the samples.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tool/import/fit.h"

namespace scenario::tool::import {
namespace {

// The altitude the records give at `x`, integrated from the start.
double profile_of(const profile_fit& f, double x) {
  double z = f.start_altitude;
  for (size_t i = 0; i < f.gradients.size(); ++i) {
    const double end = i + 1 < f.gradients.size() ? f.gradients[i + 1].start : 1e12;
    if (x > f.gradients[i].start) z += (std::min(x, end) - f.gradients[i].start) * f.gradients[i].per_mille / 1000.0;
  }
  return z;
}

// What every fit must be: records from 0, ascending, on multiples of 50 m,
// each but the last at least `min_length` long, gradients the cell's byte
// holds, and a report that tells the departure from the samples truly.
void expect_sound(const profile_fit& f, const std::vector<altitude_sample>& samples,
                  const std::function<double(double)>& track, int32_t length, int32_t min_length) {
  ASSERT_FALSE(f.gradients.empty());
  EXPECT_EQ(f.gradients.front().start, 0);
  for (size_t i = 0; i < f.gradients.size(); ++i) {
    const fitted_gradient& g = f.gradients[i];
    EXPECT_EQ(g.start % 50, 0) << g.start;
    EXPECT_LT(g.start, length);
    EXPECT_GE(g.per_mille, -100);
    EXPECT_LE(g.per_mille, 155);
    if (i + 1 < f.gradients.size()) {
      EXPECT_GE(f.gradients[i + 1].start - g.start, min_length) << "record at " << g.start;
      EXPECT_NE(f.gradients[i + 1].per_mille, g.per_mille) << "two records of one gradient at " << g.start;
    }
  }
  double max = 0;
  double sum = 0;
  for (const altitude_sample& s : samples) {
    const double e = std::abs(profile_of(f, s.at) - track(s.at));
    max = std::max(max, e);
    sum += e * e;
  }
  EXPECT_NEAR(f.vertical.max, max, 1e-6);
  EXPECT_NEAR(f.vertical.rms, std::sqrt(sum / static_cast<double>(samples.size())), 1e-6);
  EXPECT_NEAR(std::abs(profile_of(f, f.vertical.max_at) - track(f.vertical.max_at)), max, 1e-6);
}

struct known_profile {
  std::string name;
  int32_t length;
  std::function<double(double)> track;   // the track's true altitude
  std::function<bool(double)> off_ground;  // where the track leaves the ground, if anywhere
  std::vector<fitted_gradient> records;  // expected exactly, when not empty
  double max_from_track;                 // m, the fitted profile against the true one
};

double summit(double x) { return x < 3000 ? 400 + 0.020 * x : 460 - 0.015 * (x - 3000); }

TEST(ProfileFit, KnownProfilesGiveTheirRecordsAndFollowTheTrack) {
  const known_profile cases[] = {
      {"constant gradient", 5000, [](double x) { return 120 + 0.012 * x; }, {}, {{0, 12}}, 0.05},
      {"summit", 6000, summit, {}, {{0, 20}, {3000, -15}}, 0.05},
      // The ground rises 250 m above the track over 1 km of tunnel.
      {"tunnel", 4000, [](double x) { return 300 + 0.010 * x; },
       [](double x) { return x > 1500 && x < 2500; }, {{0, 10}}, 0.05},
      // 7.4 per mille cannot be written: whole gradients alternate so the
      // rounding of one is paid back by the next over 20 km.
      {"gradient between whole numbers", 20000, [](double x) { return 50 + 0.0074 * x; }, {}, {}, 0.5},
      // Steeper than the cell's byte holds: the steepest it holds.
      {"wall", 3000, [](double x) { return 1000 + 0.3 * x; }, {}, {{0, 155}}, 1e9},
      {"plunge", 3000, [](double x) { return 1000 - 0.2 * x; }, {}, {{0, -100}}, 1e9},
      // A length that is no multiple of 50 and a level start and end.
      {"short level", 1234, [](double) { return 77.0; }, {}, {{0, 0}}, 0.01},
  };
  for (const known_profile& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<altitude_sample> samples;
    for (double at = 0; at <= c.length; at += 23) {
      const bool ground = !(c.off_ground && c.off_ground(at));
      samples.push_back({at, ground ? c.track(at) : c.track(at) + 250, ground});
    }
    const profile_fit f = fit_profile(samples, c.length, 200);
    std::vector<altitude_sample> truth = samples;
    for (altitude_sample& s : truth) s.altitude = c.track(s.at);
    expect_sound(f, samples, c.track, c.length, 200);
    if (!c.records.empty()) {
      ASSERT_EQ(f.gradients.size(), c.records.size());
      for (size_t i = 0; i < c.records.size(); ++i) {
        EXPECT_EQ(f.gradients[i].start, c.records[i].start);
        EXPECT_EQ(f.gradients[i].per_mille, c.records[i].per_mille);
      }
    }
    double from_track = 0;
    for (const altitude_sample& s : truth) from_track = std::max(from_track, std::abs(profile_of(f, s.at) - s.altitude));
    EXPECT_LE(from_track, c.max_from_track);
    std::cerr << c.name << ": " << f.gradients.size() << " records, departure from the samples max "
              << f.vertical.max << " m at " << f.vertical.max_at << " m, rms " << f.vertical.rms
              << " m; from the track max " << from_track << " m\n";
  }
}

TEST(ProfileFit, NoiseBuysNoRecordsAndShortUndulationsNoShortRecords) {
  std::mt19937 random(11);
  std::normal_distribution<double> noise(0, 2.0);
  std::vector<altitude_sample> noisy;
  for (double at = 0; at <= 10000; at += 23) noisy.push_back({at, 200 + 0.015 * at + noise(random), true});
  const profile_fit f = fit_profile(noisy, 10000, 200);
  EXPECT_LE(f.gradients.size(), 4u);
  for (const fitted_gradient& g : f.gradients) EXPECT_NEAR(g.per_mille, 15, 2) << g.start;
  double from_track = 0;
  for (const altitude_sample& s : noisy) from_track = std::max(from_track, std::abs(profile_of(f, s.at) - (200 + 0.015 * s.at)));
  EXPECT_LE(from_track, 1.5);
  std::cerr << "noisy ground: " << f.gradients.size() << " records, departure from the samples max " << f.vertical.max
            << " m, rms " << f.vertical.rms << " m; from the track max " << from_track << " m\n";

  // Up and down at 40 per mille every 150 m, under a minimum of 500 m.
  const auto zigzag = [](double at) { return 10 + 0.04 * std::abs(std::fmod(at, 300) - 150); };
  std::vector<altitude_sample> bumpy;
  for (double at = 0; at <= 5000; at += 10) bumpy.push_back({at, zigzag(at), true});
  const profile_fit b = fit_profile(bumpy, 5000, 500);
  expect_sound(b, bumpy, zigzag, 5000, 500);
  EXPECT_LE(b.vertical.max, 6.0);
}

TEST(ProfileFit, NoGroundAtAllIsALevelLine) {
  for (const std::vector<altitude_sample>& samples :
       {std::vector<altitude_sample>{}, std::vector<altitude_sample>{{0, 900, false}, {600, 1200, false}}}) {
    const profile_fit f = fit_profile(samples, 600, 200);
    ASSERT_EQ(f.gradients.size(), 1u);
    EXPECT_EQ(f.gradients[0].per_mille, 0);
    EXPECT_EQ(f.vertical.max, 0);
  }
}

}  // namespace
}  // namespace scenario::tool::import
