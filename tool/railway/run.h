// The fastest run a train can make along a stretch of line: the speed
// limit along it, braking before each lower limit and each stop so that
// the train is at the lower speed where the limit begins, accelerating
// after, with the gradients adding or taking away. Computed on points
// `step` metres apart by a pass forwards (accelerating) and one backwards
// (braking); the run is the lower of the two at every point.
#ifndef TOOL_RAILWAY_RUN_H_
#define TOOL_RAILWAY_RUN_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tool/railway/train_model.h"

namespace scenario::tool {

// The line as the run sees it.
struct run_line {
  int32_t length = 0;                    // metres
  std::vector<double> cell_limit;        // km/h from 50 m * i on; 0: as the cell before
  std::vector<double> cell_gradient;     // per mille, rising positive, from 50 m * i on
  struct restriction {
    int32_t from = 0, to = 0;  // metres
    double kmh = 0;
  };
  std::vector<restriction> restrictions;  // slowdowns: a lower limit over a stretch

  double limit_at(double metre) const;       // km/h with the slowdowns; 0 where nothing is known
  double line_limit_at(double metre) const;  // the same without them
  double gradient_at(double metre) const;  // per mille
};

// The run as kept: a point every `spacing` metres (a few computed points
// apart; stops at whole tens of metres fall on kept points) and the last.
struct run_profile {
  double from = 0;             // metre of the first point
  double to = 0;               // metre of the last
  double spacing = 10;         // metres between kept points
  std::vector<double> speed;   // m/s at each kept point
  std::vector<double> time;    // s from the first point, running only
  double metre(size_t i) const { return std::min(from + static_cast<double>(i) * spacing, to); }
  // At the kept point nearest `metre`; past the last, the time is
  // infinite (the train does not get there) and the speed 0.
  double time_at(double metre) const;
  double speed_at(double metre) const;
};

// The run from standing at `from` to standing at `to`, stopping at every
// metre of `stops` between them, computed on points `step` metres apart.
// A climb the train cannot make, or a descent it cannot brake on, leaves
// it standing: the time from there on is infinite.
run_profile fastest_run(const run_line& line, const train_model& train, double from, double to,
                        const std::vector<double>& stops, double step = 1.0);

}  // namespace scenario::tool

#endif  // TOOL_RAILWAY_RUN_H_
