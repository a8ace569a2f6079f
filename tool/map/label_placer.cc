#include "tool/map/label_placer.h"

#include <algorithm>
#include <cmath>

namespace scenario::tool {
namespace {

bool segments_cross(map_point a, map_point b, map_point c, map_point d) {
  auto orient = [](map_point p, map_point q, map_point r) { return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x); };
  const double d1 = orient(c, d, a), d2 = orient(c, d, b), d3 = orient(a, b, c), d4 = orient(a, b, d);
  return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
}

bool inside(const map_box& box, map_point p) { return p.x >= box.x0 && p.x <= box.x1 && p.y >= box.y0 && p.y <= box.y1; }

bool segment_meets_box(map_point a, map_point b, const map_box& box) {
  if (std::max(a.x, b.x) < box.x0 || std::min(a.x, b.x) > box.x1 || std::max(a.y, b.y) < box.y0 ||
      std::min(a.y, b.y) > box.y1) {
    return false;
  }
  if (inside(box, a) || inside(box, b)) return true;
  const map_point c[4] = {{box.x0, box.y0}, {box.x1, box.y0}, {box.x1, box.y1}, {box.x0, box.y1}};
  for (int i = 0; i < 4; ++i) {
    if (segments_cross(a, b, c[i], c[(i + 1) % 4])) return true;
  }
  return false;
}

}  // namespace

map_box grown(const map_box& b, double by) { return {b.x0 - by, b.y0 - by, b.x1 + by, b.y1 + by}; }

// The point of `box` nearest to `p`, where a leader line ends.
map_point nearest_on_box(const map_box& box, map_point p) {
  return {std::clamp(p.x, box.x0, box.x1), std::clamp(p.y, box.y0, box.y1)};
}

namespace {

map_box box_of(map_point a, map_point b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

}  // namespace

void grid_index::add(const map_box& area, size_t index) {
  if (seen_.size() <= index) seen_.resize(index + 1, 0);
  for_squares(area, [&](uint64_t square) { squares_[square].push_back(index); });
}

void label_placer::add_segment(map_point a, map_point b) {
  segment_index_.add(box_of(a, b), segments_.size());
  segments_.emplace_back(a, b);
}

void label_placer::keep_box(const map_box& box) {
  box_index_.add(box, boxes_.size());
  boxes_.push_back(box);
}

template <typename Test>
bool label_placer::any_segment_near(const map_box& box, Test test) const {
  bool found = false;
  segment_index_.near(box, [&](size_t i) {
    found = test(segments_[i].first, segments_[i].second);
    return !found;
  });
  return found;
}

bool label_placer::crosses_lines(const map_box& box) const {
  const map_box b = grown(box, 1.5);
  return any_segment_near(b, [&](map_point p, map_point q) { return segment_meets_box(p, q, b); });
}

int label_placer::collisions(const map_box& box, map_point anchor, bool leader, bool first_only) const {
  // Text on text is unreadable, text over a line only untidy.
  int n = 0;
  if (box.x0 < bounds_.x0 || box.y0 < bounds_.y0 || box.x1 > bounds_.x1 || box.y1 > bounds_.y1) n += 1000;
  if (first_only && n > 0) return n;
  const map_box spaced = grown(box, 2);
  // Only the boxes near the label, or near its leader, can count.
  const map_point leader_end = nearest_on_box(box, anchor);
  map_box near_area = spaced;
  if (leader) {
    const map_box line = box_of(anchor, leader_end);
    near_area = {std::min(near_area.x0, line.x0), std::min(near_area.y0, line.y0), std::max(near_area.x1, line.x1),
                 std::max(near_area.y1, line.y1)};
  }
  box_index_.near(near_area, [&](size_t i) {
    const map_box& o = boxes_[i];
    if (o.overlaps(spaced)) n += 10;
    if (leader && segment_meets_box(anchor, leader_end, grown(o, -1))) n += 2;
    return !(first_only && n > 0);
  });
  if (first_only && n > 0) return n;
  if (crosses_lines(box)) n += 3;
  if (first_only && n > 0) return n;
  if (leader) {
    // A leader leaves the anchor, on the line itself, so it is tested from
    // a little way out; it should cross neither the line nor another leader.
    const map_point end = nearest_on_box(box, anchor);
    const double len = std::hypot(end.x - anchor.x, end.y - anchor.y);
    if (len > 6) {
      const map_point start{anchor.x + (end.x - anchor.x) * 5 / len, anchor.y + (end.y - anchor.y) * 5 / len};
      const map_box reach{std::min(start.x, end.x), std::min(start.y, end.y), std::max(start.x, end.x),
                          std::max(start.y, end.y)};
      if (any_segment_near(reach, [&](map_point p, map_point q) { return segments_cross(start, end, p, q); })) n += 3;
      leader_index_.near(reach, [&](size_t i) {
        if (segments_cross(start, end, leaders_[i].first, leaders_[i].second)) n += 2;
        return !(first_only && n > 0);
      });
    }
  }
  return n;
}

namespace {

struct candidate {
  map_box box;
  bool leader;
  bool vertical;
};

// Boxes `w` x `h` round the anchor at distance r: the four sides, the
// diagonals, boxes slid along above and below, and the directions between.
void boxes_at(std::vector<candidate>& out, map_point a, double w, double h, double r) {
  const bool leader = r > 14;
  const double d = r * 0.72;
  const map_box boxes[] = {
      {a.x + r, a.y - h / 2, a.x + r + w, a.y + h / 2},      // right
      {a.x - r - w, a.y - h / 2, a.x - r, a.y + h / 2},      // left
      {a.x - w / 2, a.y - r - h, a.x + w / 2, a.y - r},      // above
      {a.x - w / 2, a.y + r, a.x + w / 2, a.y + r + h},      // below
      {a.x + d, a.y - d - h, a.x + d + w, a.y - d},          // above right
      {a.x - d - w, a.y - d - h, a.x - d, a.y - d},          // above left
      {a.x + d, a.y + d, a.x + d + w, a.y + d + h},          // below right
      {a.x - d - w, a.y + d, a.x - d, a.y + d + h},          // below left
      {a.x - w * 0.1, a.y - r - h, a.x + w * 0.9, a.y - r},  // above, slid
      {a.x - w * 0.9, a.y - r - h, a.x + w * 0.1, a.y - r},
      {a.x - w * 0.1, a.y + r, a.x + w * 0.9, a.y + r + h},  // below, slid
      {a.x - w * 0.9, a.y + r, a.x + w * 0.1, a.y + r + h},
  };
  for (const map_box& b : boxes) out.push_back({b, leader, false});
  for (int k = 0; k < 8; ++k) {
    const double angle = (k * 45 + 22.5) * 3.14159265358979 / 180;
    const map_point c{a.x + std::cos(angle) * (r + w / 2), a.y - std::sin(angle) * (r + h / 2)};
    out.push_back({{c.x - w / 2, c.y - h / 2, c.x + w / 2, c.y + h / 2}, leader, false});
  }
}

// Upright text standing above or below the anchor, `w` tall.
void upright_at(std::vector<candidate>& out, map_point a, double w, double h, double r) {
  const bool leader = r > 14;
  for (double shift : {0.0, -h, h, -2 * h, 2 * h}) {
    const double x = a.x + shift;
    out.push_back({{x - h / 2, a.y - r - w, x + h / 2, a.y - r}, leader, true});
    out.push_back({{x - h / 2, a.y + r, x + h / 2, a.y + r + w}, leader, true});
  }
}

// Nearest first. Level text reads best; upright text close by comes
// before level text far away, whose leader would be long.
std::vector<candidate> candidates(map_point a, double w, double h, double max_reach, bool upright) {
  std::vector<candidate> out;
  constexpr double kNear[] = {7, 14, 24, 36, 50, 66, 84};
  constexpr double kFar[] = {104, 126, 150, 176};
  for (double r : kNear) {
    if (r <= max_reach) boxes_at(out, a, w, h, r);
  }
  if (upright) {
    for (double r : kNear) {
      if (r <= max_reach) upright_at(out, a, w, h, r);
    }
  }
  for (double r : kFar) {
    if (r <= max_reach) boxes_at(out, a, w, h, r);
  }
  return out;
}

}  // namespace

void label_placer::keep(const map_box& box, map_point anchor, bool leader) {
  keep_box(box);
  if (leader) {
    const map_point end = nearest_on_box(box, anchor);
    leader_index_.add(box_of(anchor, end), leaders_.size());
    leaders_.emplace_back(anchor, end);
  }
}

std::optional<label_placer::placement> label_placer::place_if_free(map_point anchor, double width, double height,
                                                                   double max_reach, bool upright) {
  for (const candidate& c : candidates(anchor, width, height, max_reach, upright)) {
    if (is_free(c.box, anchor, c.leader)) {
      keep(c.box, anchor, c.leader);
      return placement{c.box, c.leader, c.vertical};
    }
  }
  return std::nullopt;
}

int label_placer::room(map_point anchor, double width, double height, bool upright) const {
  int n = 0;
  for (const candidate& c : candidates(anchor, width, height, 1e9, upright)) {
    if (is_free(c.box, anchor, c.leader)) ++n;
  }
  return n;
}

label_placer::placement label_placer::place(map_point anchor, double width, double height, bool upright) {
  if (auto p = place_if_free(anchor, width, height, 1e9, upright)) return *p;
  // Nowhere free: the least crowded place, tied to its anchor.
  placement best{};
  int best_n = -1;
  for (const candidate& c : candidates(anchor, width, height, 1e9, upright)) {
    const int n = collisions(c.box, anchor, c.leader);
    if (best_n < 0 || n < best_n) {
      best_n = n;
      best = {c.box, true, c.vertical};
    }
  }
  keep(best.box, anchor, true);
  return best;
}
}  // namespace scenario::tool
