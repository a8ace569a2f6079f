// The label placer of the route map: labels clear of each other, of the
// marks and of the track, with leaders where they stand off.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tool/map/label_placer.h"

namespace scenario::tool {
namespace {

bool crosses(const map_box& b, map_point p, map_point q) {
  // Sampled along the segment: enough for the axis-parallel lines used here.
  for (int i = 0; i <= 100; ++i) {
    const map_point s{p.x + (q.x - p.x) * i / 100, p.y + (q.y - p.y) * i / 100};
    if (s.x > b.x0 && s.x < b.x1 && s.y > b.y0 && s.y < b.y1) return true;
  }
  return false;
}

TEST(LabelPlacer, LabelsAvoidEachOtherMarksAndLines) {
  struct placer_case {
    const char* name;
    int labels;            // all at one anchor
    bool horizontal_line;  // a line through the anchor
    bool vertical_line;
  };
  const placer_case cases[] = {
      {"one label", 1, false, false},
      {"crowded anchor", 12, false, false},
      {"beside a line", 6, true, false},
      {"at a crossing", 8, true, true},
  };
  for (const placer_case& c : cases) {
    label_placer placer({0, 0, 600, 400});
    const map_point anchor{300, 200};
    std::vector<std::pair<map_point, map_point>> lines;
    if (c.horizontal_line) lines.push_back({{0, 200}, {600, 200}});
    if (c.vertical_line) lines.push_back({{300, 0}, {300, 400}});
    for (const auto& [p, q] : lines) placer.add_segment(p, q);
    const map_box mark{295, 195, 305, 205};
    placer.add_obstacle(mark);

    std::vector<map_box> placed;
    for (int i = 0; i < c.labels; ++i) {
      const auto p = placer.place(anchor, 80, 12);
      EXPECT_FALSE(p.box.overlaps(mark)) << c.name;
      for (const map_box& other : placed) EXPECT_FALSE(p.box.overlaps(other)) << c.name << " label " << i;
      for (const auto& [a, b] : lines) EXPECT_FALSE(crosses(p.box, a, b)) << c.name << " label " << i;
      EXPECT_GE(p.box.x0, 0);
      EXPECT_LE(p.box.x1, 600);
      placed.push_back(p.box);
    }
    // The first label sits next to its anchor, without a leader.
    const auto first = placed.front();
    EXPECT_LT(std::min(std::abs(first.x0 - anchor.x), std::abs(first.x1 - anchor.x)), 50) << c.name;
  }
}

TEST(LabelPlacer, FarLabelsGetALeaderAndAFullPlaceGetsNothingOptional) {
  label_placer placer({0, 0, 200, 60});
  const map_point anchor{100, 30};
  placer.add_obstacle({0, 0, 200, 60});  // every place is taken
  EXPECT_FALSE(placer.place_if_free(anchor, 40, 10, 1e9).has_value());
  EXPECT_EQ(placer.room(anchor, 40, 10), 0);
  const auto forced = placer.place(anchor, 40, 10);
  EXPECT_TRUE(forced.leader);

  label_placer open({0, 0, 600, 400});
  open.add_obstacle({250, 150, 350, 250});  // the near places are taken
  const auto far = open.place({300, 200}, 40, 10);
  EXPECT_TRUE(far.leader);
  EXPECT_FALSE(far.box.overlaps({250, 150, 350, 250}));
}

TEST(LabelPlacer, UprightLabelsOnlyWhenAllowed) {
  // In a narrow corridor between two lines no level label fits near the
  // anchor; one standing on end does.
  label_placer placer({0, 0, 400, 400});
  for (double x : {180.0, 220.0}) placer.add_segment({x, 0}, {x, 400});  // a narrow corridor
  const auto level = placer.place_if_free({200, 200}, 100, 12, 84, false);
  EXPECT_FALSE(level.has_value());
  const auto upright = placer.place_if_free({200, 200}, 100, 12, 84, true);
  ASSERT_TRUE(upright.has_value());
  EXPECT_TRUE(upright->vertical);
  EXPECT_LE(upright->box.x1 - upright->box.x0, 12.001);
}

// The index finds each thing near a box once, however many squares both
// span, finds nothing far away (also at negative and huge coordinates),
// and stops when asked to.
TEST(GridIndex, FindsWhatIsNearOnceAndStopsWhenTold) {
  grid_index index;
  index.add({0, 0, 200, 10}, 0);          // spans several squares
  index.add({150, 5, 160, 300}, 1);       // meets 0 in one square
  index.add({-500, -500, -490, -490}, 2);
  index.add({1e12, 1e12, 1e12 + 5, 1e12 + 5}, 3);
  const auto found = [&](const map_box& area) {
    std::vector<size_t> seen;
    index.near(area, [&](size_t i) {
      seen.push_back(i);
      return true;
    });
    std::sort(seen.begin(), seen.end());
    return seen;
  };
  EXPECT_EQ(found({-10, -10, 400, 400}), (std::vector<size_t>{0, 1}));
  EXPECT_EQ(found({-505, -505, -495, -495}), (std::vector<size_t>{2}));
  EXPECT_EQ(found({1000, 1000, 1010, 1010}), std::vector<size_t>{});
  EXPECT_EQ(found({1e12, 1e12, 1e12 + 1, 1e12 + 1}), (std::vector<size_t>{3}));
  int visits = 0;
  index.near({-10, -10, 400, 400}, [&](size_t) { return ++visits < 1; });
  EXPECT_EQ(visits, 1);
}

}  // namespace
}  // namespace scenario::tool
