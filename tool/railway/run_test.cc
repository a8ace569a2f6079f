// The run against cases whose time is known in closed form, the braking
// relation against its own figures, and the built-in timetable as the
// computation sees it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "content/line_definition.h"
#include "content/line_document.h"
#include "content/train_definition.h"
#include "tool/definition_findings.h"
#include "tool/railway/run.h"
#include "tool/railway/timetable.h"

namespace scenario::tool {
namespace {

// A train whose pull is its maximum acceleration at every speed, with no
// running resistance: accelerating and braking are constant.
train_model plain_train(double acceleration, double braked_percent) {
  train_model t;
  t.max_acceleration = acceleration;
  t.power_per_tonne = 1e9;
  t.resistance_a = 0;
  t.resistance_b = 0;
  t.braked_mass_percent = braked_percent;
  return t;
}

run_line flat_line(int32_t length, double kmh, double gradient = 0) {
  run_line l;
  l.length = length;
  l.cell_limit.assign(static_cast<size_t>(length / 50 + 1), kmh);
  l.cell_gradient.assign(static_cast<size_t>(length / 50 + 1), gradient);
  return l;
}

// From standing to standing over `length` with acceleration a, braking b
// and top speed v: a trapezium, or a triangle when v is not reached.
double closed_form(double length, double v, double a, double b) {
  const double ramps = v * v / (2 * a) + v * v / (2 * b);
  if (ramps <= length) return v / a + v / b + (length - ramps) / v;
  const double peak = std::sqrt(2 * a * b * length / (a + b));
  return peak / a + peak / b;
}

TEST(RailwayRun, MatchesTheClosedFormOnAPlainLine) {
  struct run_case {
    const char* what;
    int32_t length;
    double kmh, acceleration, braked, gradient;
  } cases[] = {
      {"reaches its speed", 5000, 80, 0.5, 120, 0},
      {"never reaches it", 400, 120, 0.5, 120, 0},
      {"weak brakes", 3000, 100, 0.8, 50, 0},
      {"climbing 20 per mille", 4000, 70, 0.6, 100, 20},
      {"falling 15 per mille", 4000, 70, 0.6, 100, -15},
  };
  for (const run_case& c : cases) {
    const train_model train = plain_train(c.acceleration, c.braked);
    const double a = c.acceleration - c.gradient * kGravity / 1000;
    const double b = braking_deceleration(c.braked, c.gradient);
    const run_profile run = fastest_run(flat_line(c.length, c.kmh, c.gradient), train, 0, c.length, {});
    EXPECT_NEAR(run.time.back(), closed_form(c.length, c.kmh / 3.6, a, b), 0.5) << c.what;
    EXPECT_EQ(run.speed.front(), 0) << c.what;
    EXPECT_EQ(run.speed.back(), 0) << c.what;
  }
}

TEST(RailwayRun, BrakesToALowerLimitWhereItBeginsAndStopsWhereTold) {
  run_line line = flat_line(6000, 90);
  line.restrictions.push_back({3000, 3400, 30});
  const train_model train = plain_train(0.6, 100);
  const run_profile run = fastest_run(line, train, 0, 6000, {4500});
  const double v1 = 90 / 3.6, v2 = 30 / 3.6, b = braking_deceleration(100, 0);
  // At the slowdown's start the train runs at its speed, and it began to
  // brake as late as it could.
  EXPECT_NEAR(run.speed_at(3000), v2, 0.05);
  const double braking_from = 3000 - (v1 * v1 - v2 * v2) / (2 * b);
  EXPECT_NEAR(run.speed_at(braking_from - 10), v1, 0.05);
  EXPECT_LT(run.speed_at(braking_from + 30), v1 - 0.1);
  for (double m = 3000; m < 3400; m += 10) EXPECT_LE(run.speed_at(m), v2 + 1e-5);
  EXPECT_EQ(run.speed_at(4500), 0);
  // A climb steeper than the train can pull leaves it standing.
  const run_profile stuck = fastest_run(flat_line(2000, 80, 90), plain_train(0.5, 100), 0, 2000, {});
  EXPECT_TRUE(std::isinf(stuck.time.back()));
}

TEST(RailwayBraking, TheMindenRelationAsWritten) {
  // s = 3.85 V^2 / (6.1 (1 + lambda / 10) + i)
  EXPECT_NEAR(minden_braking_distance(100, 120, 0), 385000.0 / 793, 1e-6);
  EXPECT_NEAR(minden_braking_distance(80, 60, 0), 3.85 * 6400 / 42.7, 1e-6);
  EXPECT_NEAR(minden_braking_distance(100, 100, 10), 38500.0 / 77.1, 1e-6);
  EXPECT_TRUE(std::isinf(minden_braking_distance(100, 50, -60)));
  // The deceleration it stands for stops the train in the same distance.
  const double b = braking_deceleration(120, 0), v = 100 / 3.6;
  EXPECT_NEAR(v * v / (2 * b), minden_braking_distance(100, 120, 0), 1e-6);
}

timetable_report built_in(double step) {
  const definition_check found = check_definitions(
      {line_document_bytes(line_definition_lines()), line_document_bytes(train_definition_lines())},
      scenario_identity{"Brenvalo_Morvena", "4815"});
  timetable_options options;
  options.step = step;
  return timetable_of(found.compiled, found.records, options);
}

TEST(RailwayTimetable, TheBuiltInLineSectionByStationWithATime) {
  const timetable_report r = built_in(1);
  ASSERT_EQ(r.stations.size(), 12u);
  EXPECT_EQ(r.braked_mass_percent, 120);
  EXPECT_EQ(r.departure, (9 * 60 + 20) * 60 + 30);  // the clock's start, not 6.48
  ASSERT_EQ(r.sections.size(), 6u);
  const char* ends[] = {"PONTE DELLA VENTURINA", "MOLINO DEL PALLONE", "PRACCHIA", "S.MOMME'", "CORBEZZI", "MORVENA"};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(r.stations[r.sections[i].to].name, ends[i]);
    EXPECT_TRUE(std::isfinite(r.sections[i].running));
    EXPECT_GT(r.sections[i].running, 0);
  }
  EXPECT_EQ(r.sections.back().dwell, 0);
  EXPECT_EQ(r.sections.front().dwell, 30);
  // Halving the step changes no section's time by a second.
  const timetable_report fine = built_in(0.5);
  for (size_t i = 0; i < 6; ++i) EXPECT_NEAR(fine.sections[i].running, r.sections[i].running, 1.0) << i;
}

TEST(RailwayTimetable, DurationsAndTimesInWords) {
  EXPECT_EQ(duration_words(432), "7 min 12 s");
  EXPECT_EQ(duration_words(45), "45 s");
  EXPECT_EQ(duration_words(3725), "1 h 02 min 05 s");
  EXPECT_EQ(duration_words(-90), "-1 min 30 s");
  // Half a second up, once: 175,5 s is 2 min 56 s wherever it is told.
  EXPECT_EQ(duration_words(175.5), "2 min 56 s");
  EXPECT_EQ(duration_words(175.49), "2 min 55 s");
  EXPECT_EQ(duration_words(std::numeric_limits<double>::infinity()), "non calcolabile");
  EXPECT_EQ(duration_words(std::nan("")), "non calcolabile");
  EXPECT_EQ(clock_words((9 * 60 + 21) * 60), "9.21");
  EXPECT_EQ(clock_words((9 * 60 + 24) * 60 + 30), "9.24+");
  EXPECT_EQ(clock_words((10 * 60 + 3) * 60 + 10), "10.03");
}

}  // namespace
}  // namespace scenario::tool
