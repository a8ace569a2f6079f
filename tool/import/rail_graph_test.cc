// The path the import takes on the railway graph.
#include "tool/import/rail_graph.h"

#include <gtest/gtest.h>

#include <vector>

namespace scenario::tool::import {
namespace {

// Two main tracks side by side: A, with a bend 560 m to the south that
// makes it some 840 m longer, and B straight across the bend's chord,
// joined to A by a crossover (32 m, a siding's weight) at each end. B saves
// more than the crossovers cost, less than the charge for leaving a way at
// a switch twice: the path keeps to A.
TEST(RailGraph, LeavingAWayAtASwitchIsChargedSoThePathKeepsToOneTrack) {
  osm_extract data;
  std::vector<int64_t> a, b;
  auto node = [&](double lon, double lat) {
    const int64_t id = static_cast<int64_t>(data.nodes.size()) + 1;
    data.nodes.push_back({id, {lon, lat}, std::nullopt});
    return id;
  };
  for (int i = 0; i <= 30; ++i) a.push_back(node(9.0 + 0.002 * i, i >= 8 && i <= 22 ? 44.995 : 45.0));
  for (int i = 0; i <= 14; ++i) b.push_back(node(9.0104 + 0.0028 * i, 45.00005));
  data.ways.push_back({1, a, "main", "", false, false, "", ""});
  data.ways.push_back({2, b, "main", "", false, false, "", ""});
  data.ways.push_back({3, {a[5], b.front()}, "", "crossover", false, false, "", ""});
  data.ways.push_back({4, {b.back(), a[25]}, "", "crossover", false, false, "", ""});

  const local_projection projection(geo_point{9.03, 45.0});
  const rail_graph graph = build_rail_graph(data, projection);
  const std::vector<uint32_t> from = {*graph.index(a.front())}, to = {*graph.index(a.back())};
  const auto path = shortest_path(graph, data, from, to);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->way_changes, 0u);
  for (uint32_t e : path->edges) EXPECT_EQ(graph.edges[e].way, 0u);
  EXPECT_EQ(path->edges.size(), 30u);

  // Where B saves more than the charge, the path takes it: the charge
  // weighs against switches, it does not forbid them.
  for (size_t i = 8; i <= 22; ++i) data.nodes[i].at.lat = 44.98;
  const rail_graph bent = build_rail_graph(data, projection);
  const auto across = shortest_path(bent, data, from, to);
  ASSERT_TRUE(across);
  EXPECT_EQ(across->way_changes, 2u);
}

}  // namespace
}  // namespace scenario::tool::import
