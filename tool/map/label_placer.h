// Labels placed on a drawing so that they meet neither each other nor the
// lines and marks already drawn: screen geometry and a greedy placer.
#ifndef TOOL_LABEL_PLACER_H_
#define TOOL_LABEL_PLACER_H_

#include <map>
#include <optional>
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
class label_placer {
 public:
  explicit label_placer(map_box bounds) : bounds_(bounds) {}

  void add_obstacle(const map_box& box) { boxes_.push_back(box); }
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
  // How many free places a label would have now: the fewer, the sooner it
  // should choose.
  int room(map_point anchor, double width, double height, bool upright = false) const;

 private:
  int collisions(const map_box& box, map_point anchor, bool leader) const;
  bool crosses_lines(const map_box& box) const;
  void keep(const map_box& box, map_point anchor, bool leader);

  map_box bounds_;
  std::vector<map_box> boxes_;
  template <typename Test>
  bool any_segment_near(const map_box& box, Test test) const;

  std::vector<std::pair<map_point, map_point>> segments_;
  std::map<std::pair<int, int>, std::vector<size_t>> buckets_;
  std::vector<std::pair<map_point, map_point>> leaders_;
};

}  // namespace scenario::tool

#endif  // TOOL_LABEL_PLACER_H_
