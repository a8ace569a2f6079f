#include "tool/import/segment_grid.h"

#include <algorithm>
#include <cmath>

namespace scenario::tool::import {
namespace {

uint64_t key(int64_t cx, int64_t cy) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(cx)) << 32) | static_cast<uint32_t>(cy);
}

}  // namespace

segment_grid::segment_grid(std::span<const track_xy> points, double cell) : cell_(std::max(cell, 1.0)) {
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const track_xy a = points[i], b = points[i + 1];
    // The cells of points along the segment at most half a cell apart:
    // every point of the segment is within a quarter of a cell of one of
    // them, which `near` reaches out for.
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const auto steps = static_cast<size_t>(std::ceil(length / (cell_ / 2)));
    for (size_t k = 0; k <= steps; ++k) {
      const double u = steps == 0 ? 0 : static_cast<double>(k) / static_cast<double>(steps);
      insert(cell_of(a.x + u * (b.x - a.x)), cell_of(a.y + u * (b.y - a.y)), static_cast<uint32_t>(i));
    }
  }
}

int64_t segment_grid::cell_of(double metres) const {
  // Far beyond any route, and never a cast out of range.
  return static_cast<int64_t>(std::floor(std::clamp(metres / cell_, -1e9, 1e9)));
}

void segment_grid::insert(int64_t cx, int64_t cy, uint32_t segment) {
  std::vector<uint32_t>& in = cells_[key(cx, cy)];
  if (!in.empty() && in.back() == segment) return;
  in.push_back(segment);
  if (max_x_ < min_x_) {
    min_x_ = max_x_ = cx;
    min_y_ = max_y_ = cy;
  }
  min_x_ = std::min(min_x_, cx);
  max_x_ = std::max(max_x_, cx);
  min_y_ = std::min(min_y_, cy);
  max_y_ = std::max(max_y_, cy);
}

std::vector<uint32_t> segment_grid::near(track_xy p, double reach) const {
  std::vector<uint32_t> out;
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !(reach >= 0)) return out;
  const double r = reach + cell_ / 4;
  const int64_t x0 = std::max(min_x_, cell_of(p.x - r)), x1 = std::min(max_x_, cell_of(p.x + r));
  const int64_t y0 = std::max(min_y_, cell_of(p.y - r)), y1 = std::min(max_y_, cell_of(p.y + r));
  for (int64_t cx = x0; cx <= x1; ++cx) {
    for (int64_t cy = y0; cy <= y1; ++cy) {
      const auto it = cells_.find(key(cx, cy));
      if (it != cells_.end()) out.insert(out.end(), it->second.begin(), it->second.end());
    }
  }
  return out;
}

}  // namespace scenario::tool::import
