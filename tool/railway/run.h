// The fastest run a train can make along a stretch of line: the speed
// limit along it, braking before each lower limit and each stop so that
// the train is at the lower speed where the limit begins, accelerating
// after, with the gradients adding or taking away. Computed on points
// `step` metres apart by a pass forwards (accelerating) and one backwards
// (braking); the run is the lower of the two at every point.
#ifndef TOOL_RAILWAY_RUN_H_
#define TOOL_RAILWAY_RUN_H_

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

struct run_profile {
  double from = 0;             // metre of the first point
  double step = 1;             // metres between points
  std::vector<double> speed;   // m/s at each point
  std::vector<double> time;    // s from the first point, running only
  double metre(size_t i) const { return from + static_cast<double>(i) * step; }
  // The running time to the point nearest `metre`.
  double time_at(double metre) const;
};

// The run from standing at `from` to standing at `to`, stopping at every
// metre of `stops` between them. A climb the train cannot make leaves it
// standing there: the time from there on is infinite.
run_profile fastest_run(const run_line& line, const train_model& train, double from, double to,
                        const std::vector<double>& stops, double step = 1.0);

}  // namespace scenario::tool

#endif  // TOOL_RAILWAY_RUN_H_
