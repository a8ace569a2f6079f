// The track as the curve fit follows it: a point every metre along the
// polyline, with the track's heading and curvature smoothed over the node
// spacing and the noise of mapped coordinates, and a straight run on past
// its end for the plan to be measured against where it runs longer.
#ifndef TOOL_IMPORT_TRACK_REFERENCE_H_
#define TOOL_IMPORT_TRACK_REFERENCE_H_

#include <cstdint>
#include <span>
#include <vector>

#include "tool/import/fit.h"

namespace scenario::tool::import {

struct track_reference {
  // Metre i along the track: the point on the polyline averaged over a few
  // metres either side (past the track's end, on the straight that
  // continues its last heading).
  std::vector<double> x, y;
  // Heading at metre i, radians clockwise from +y, without jumps of 2 pi.
  std::vector<double> heading;
  // Turning per metre at metre i, positive to the right.
  std::vector<double> curvature;
  int32_t track_end = 0;  // the last metre on the track itself
};

// `track` in the plan's frame, at least two distinct points; `extension`
// metres of straight are added after its end.
track_reference make_track_reference(std::span<const track_xy> track, int32_t extension);

// The track's heading at its start, radians clockwise from +y, over its
// first tens of metres so that the noise of the first node does not set it.
double start_heading(std::span<const track_xy> track);

// The same angle between -pi and pi.
double wrap_angle(double a);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_TRACK_REFERENCE_H_
