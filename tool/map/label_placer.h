// Labels placed on a drawing so that they meet neither each other nor the
// lines and marks already drawn: screen geometry and a greedy placer.
#ifndef TOOL_LABEL_PLACER_H_
#define TOOL_LABEL_PLACER_H_

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace scenario::tool {

// Screen geometry, in SVG user units, y down.
struct map_point {
  double x = 0;
  double y = 0;
};
struct map_box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool overlaps(const map_box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

map_box grown(const map_box& b, double by);
// The point of `box` nearest to `p`, where a leader line ends.
map_point nearest_on_box(const map_box& box, map_point p);

// Greedy label placement: each label tries offsets around its anchor, on
// every side and further out, and keeps the first box that meets no label
// or mark placed so far and crosses no line of the drawing; a box away from
// its anchor is tied to it by a leader line.
// Things kept by the squares of a grid they touch, so that what lies near
// a box is found without looking at everything: each thing once per look.
class grid_index {
 public:
  void add(const map_box& area, size_t index);
  // Calls `visit(index)` once for each thing added with an area that
  // shares a square with `area`, until it returns false.
  template <typename Visit>
  void near(const map_box& area, Visit visit) const {
    if (++generation_ == 0) {
      std::fill(seen_.begin(), seen_.end(), 0);
      generation_ = 1;
    }
    bool going = true;
    for_squares(area, [&](uint64_t square) {
      if (!going) return;
      const auto it = squares_.find(square);
      if (it == squares_.end()) return;
      for (size_t i : it->second) {
        if (seen_[i] == generation_) continue;
        seen_[i] = generation_;
        if (!visit(i)) {
          going = false;
          return;
        }
      }
    });
  }

 private:
  // The side of a square, in drawing units: about a label's height, so a
  // box is tested only against what stands near it.
  static constexpr double kSquare = 40;
  static int64_t column(double v) {
    // Far outside any drawing (or not a number) one square stands for all.
    const double c = std::floor(v / kSquare);
    if (!(c > -1048576.0)) return -1048576;
    if (!(c < 1048576.0)) return 1048576;
    return static_cast<int64_t>(c);
  }
  template <typename Each>
  static void for_squares(const map_box& area, Each each) {
    for (int64_t x = column(area.x0); x <= column(area.x1); ++x) {
      for (int64_t y = column(area.y0); y <= column(area.y1); ++y) each((static_cast<uint64_t>(x) << 32) ^ static_cast<uint32_t>(y));
    }
  }

  std::unordered_map<uint64_t, std::vector<size_t>> squares_;
  mutable std::vector<uint32_t> seen_;  // the look that last found each thing
  mutable uint32_t generation_ = 0;
};

class label_placer {
 public:
  explicit label_placer(map_box bounds) : bounds_(bounds) {}

  void add_obstacle(const map_box& box) { keep_box(box); }
  void add_segment(map_point a, map_point b);

  struct placement {
    map_box box;
    bool leader = false;    // draw a line from the anchor to the box
    bool vertical = false;  // upright text, reading upwards
  };
  // Never fails: with no free place the least crowded candidate is taken.
  // `upright` also lets the label stand on end near its anchor.
  placement place(map_point anchor, double width, double height, bool upright = false);
  // As place, but gives up rather than overlap anything or reach further
  // than `max_reach` from the anchor.
  std::optional<placement> place_if_free(map_point anchor, double width, double height, double max_reach,
                                         bool upright = false);
  // Keeps `box` as it stands if it meets no label or mark placed so far
  // and crosses no line: for a label whose place is fixed.
  bool take_if_free(const map_box& box) {
    if (!is_free(box, {box.x0, box.y0}, false)) return false;
    keep_box(box);
    return true;
  }
  // How many free places a label would have now: the fewer, the sooner it
  // should choose.
  int room(map_point anchor, double width, double height, bool upright = false) const;

 private:
  // How crowded `box` would be: 0 when it is free. With `first_only` it
  // stops at the first thing in the way (any number above 0 then).
  int collisions(const map_box& box, map_point anchor, bool leader, bool first_only = false) const;
  bool is_free(const map_box& box, map_point anchor, bool leader) const {
    return collisions(box, anchor, leader, true) == 0;
  }
  bool crosses_lines(const map_box& box) const;
  void keep(const map_box& box, map_point anchor, bool leader);
  void keep_box(const map_box& box);
  template <typename Test>
  bool any_segment_near(const map_box& box, Test test) const;

  map_box bounds_;
  // Labels and marks placed so far, the lines of the drawing and the
  // leaders drawn, each with its index of where it lies.
  std::vector<map_box> boxes_;
  grid_index box_index_;
  std::vector<std::pair<map_point, map_point>> segments_;
  grid_index segment_index_;
  std::vector<std::pair<map_point, map_point>> leaders_;
  grid_index leader_index_;
};

}  // namespace scenario::tool

#endif  // TOOL_LABEL_PLACER_H_
