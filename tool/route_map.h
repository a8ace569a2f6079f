// The picture of a compiled scenario: the ground plan of the track with its
// tunnels, stations, signals, slowdowns and name boards, and below it the
// gradient profile with the speed limit. Pure functions from the model to
// SVG text.
#ifndef TOOL_ROUTE_MAP_H_
#define TOOL_ROUTE_MAP_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace scenario::tool {

// What the picture shows, read back from the compiled model. Positions are
// metres from the start of the route; texts are ANSI bytes as stored.
struct map_station {
  std::string name;
  int32_t position = 0;
  int32_t start = 0;  // the station's stretch
  int32_t end = 0;
};
struct map_stretch {
  int32_t start = 0;
  int32_t end = 0;
  int32_t value = 0;  // tunnel: the type placed in its cells; slowdown: km/h
};
struct map_board {
  int32_t position = 0;
  std::string text;
};

struct map_features {
  int32_t length = 0;  // route length
  std::vector<map_station> stations;
  std::vector<map_stretch> tunnels;  // every tunnel record, as received
  std::vector<int32_t> signals;
  std::vector<map_stretch> slowdowns;
  std::vector<map_board> boards;
};

map_features read_map_features(const scenario_model& model);

// Altitude in metres relative to the start at every 50 m, from 0 to the
// route length: the cells' gradients (per mille plus 100) summed.
std::vector<double> altitude_profile(const scenario_model& model);

// Screen geometry, in SVG user units, y down.
struct map_point {
  double x = 0;
  double y = 0;
};
struct map_box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool overlaps(const map_box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// Estimated width of a line of UTF-8 text; no font metrics at hand, so it
// errs on the wide side.
double text_width(std::string_view utf8, double font_size, bool bold = false);

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

// `text` (ANSI) as UTF-8 with the XML specials escaped; control characters,
// which XML cannot carry, become blanks.
std::string xml_text(std::string_view ansi);

// The whole picture as one SVG document.
std::string route_map_svg(const scenario_model& model);

}  // namespace scenario::tool

#endif  // TOOL_ROUTE_MAP_H_
