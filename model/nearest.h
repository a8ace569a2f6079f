// nearest(v): the whole number nearest to v, a half going to the even
// neighbour (21.5 -> 22, 22.5 -> 22). Every computed position, quotient or
// value becomes whole through it, independent of the FPU rounding mode.
#ifndef MODEL_NEAREST_H_
#define MODEL_NEAREST_H_

#include <cmath>
#include <cstdint>

namespace scenario {

inline double nearest(double v) {
  double r = std::round(v);  // halves away from zero
  if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
  return r;
}

// nearest(v) as a whole number; every caller passes values derived from
// 32-bit fields, far inside the 64-bit range.
inline int64_t nearest_whole(double v) { return static_cast<int64_t>(nearest(v)); }

// Cell of a point object (signal, slowdown, board): position 0 lies in cell 1.
inline int64_t cell_of(int64_t position) { return nearest_whole(static_cast<double>(position) / 50.0 + 1.0); }

}  // namespace scenario

#endif  // MODEL_NEAREST_H_
