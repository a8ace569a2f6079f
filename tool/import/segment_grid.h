// The segments of a polyline by the square cells they pass through, so
// that what lies near a place is found among the segments of a few cells
// rather than among all of them.
#ifndef TOOL_IMPORT_SEGMENT_GRID_H_
#define TOOL_IMPORT_SEGMENT_GRID_H_

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "tool/import/fit.h"

namespace scenario::tool::import {

class segment_grid {
 public:
  // The segments points[i] to points[i + 1]; `cell` metres a side (at
  // least 1). Queries are cheapest with a reach no larger than a cell.
  segment_grid(std::span<const track_xy> points, double cell);

  // The segments (by their first point) that may lie within `reach` metres
  // of `p`: every one that does, perhaps more than once, and others.
  std::vector<uint32_t> near(track_xy p, double reach) const;

 private:
  int64_t cell_of(double metres) const;
  void insert(int64_t cx, int64_t cy, uint32_t segment);

  double cell_;
  int64_t min_x_ = 0, max_x_ = -1, min_y_ = 0, max_y_ = -1;  // the cells any segment is in
  std::unordered_map<uint64_t, std::vector<uint32_t>> cells_;
};

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_SEGMENT_GRID_H_
