#include "tool/import/rail_graph.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>
#include <utility>

namespace scenario::tool::import {
namespace {

// Charge, in metres of main line, for leaving a way where it goes on: a
// switch taken rather than a way's end met.
constexpr double kSwitchCharge = 500;

double weight(const rail_way& w) {
  if (!w.service.empty()) return 10;  // sidings, crossovers, yards, spurs
  if (w.usage == "main") return 1;
  if (w.usage == "branch") return 1.05;
  return 1.2;
}

bool turns_back(const rail_graph& g, const rail_graph::edge& in, const rail_graph::edge& out) {
  const track_xy a = g.xy[in.from], b = g.xy[in.to], c = g.xy[out.to];
  const double dot = (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y);
  return out.to == in.from || dot < 0;  // a train turns at most a right angle at a node
}

}  // namespace

std::optional<uint32_t> rail_graph::index(int64_t id) const {
  const auto it = std::lower_bound(ids.begin(), ids.end(), id);
  if (it == ids.end() || *it != id) return std::nullopt;
  return static_cast<uint32_t>(it - ids.begin());
}

std::optional<std::pair<uint32_t, double>> rail_graph::nearest(track_xy p) const {
  std::optional<std::pair<uint32_t, double>> best;
  for (size_t i = 0; i < xy.size(); ++i) {
    if (first_out[i] == first_out[i + 1]) continue;  // a node of no stretch
    const double d = std::hypot(xy[i].x - p.x, xy[i].y - p.y);
    if (!best || d < best->second) best = {{static_cast<uint32_t>(i), d}};
  }
  return best;
}

rail_graph build_rail_graph(const osm_extract& data, const local_projection& projection) {
  rail_graph g;
  g.ids.reserve(data.nodes.size());
  for (const track_node& n : data.nodes) {
    g.ids.push_back(n.id);
    g.xy.push_back(projection.to_metres(n.at));
  }
  std::vector<rail_graph::edge> edges;
  for (size_t w = 0; w < data.ways.size(); ++w) {
    const std::vector<int64_t>& nodes = data.ways[w].nodes;
    for (size_t i = 0; i + 1 < nodes.size(); ++i) {
      const auto a = g.index(nodes[i]);
      const auto b = g.index(nodes[i + 1]);
      if (!a || !b) {
        ++g.gaps;
        continue;
      }
      if (*a == *b) continue;
      const double length = std::hypot(g.xy[*a].x - g.xy[*b].x, g.xy[*a].y - g.xy[*b].y);
      const bool a_end = i == 0, b_end = i + 2 == nodes.size();
      edges.push_back({*a, *b, static_cast<uint32_t>(w), length, a_end, b_end});
      edges.push_back({*b, *a, static_cast<uint32_t>(w), length, b_end, a_end});
    }
  }
  std::stable_sort(edges.begin(), edges.end(), [](const auto& x, const auto& y) { return x.from < y.from; });
  g.edges = std::move(edges);
  g.first_out.assign(g.ids.size() + 1, 0);
  for (const auto& e : g.edges) ++g.first_out[e.from + 1];
  for (size_t i = 1; i < g.first_out.size(); ++i) g.first_out[i] += g.first_out[i - 1];
  return g;
}

std::optional<rail_path> shortest_path(const rail_graph& g, const osm_extract& data, std::span<const uint32_t> from,
                                       std::span<const uint32_t> to, std::optional<uint32_t> arriving) {
  constexpr double kNone = std::numeric_limits<double>::infinity();
  std::vector<double> cost(g.edges.size(), kNone);
  std::vector<uint32_t> previous(g.edges.size(), std::numeric_limits<uint32_t>::max());
  std::vector<bool> target(g.ids.size(), false);
  for (uint32_t t : to) target[t] = true;
  using entry = std::pair<double, uint32_t>;
  std::priority_queue<entry, std::vector<entry>, std::greater<>> queue;

  auto step_cost = [&](std::optional<uint32_t> in, uint32_t out) -> std::optional<double> {
    const rail_graph::edge& f = g.edges[out];
    double c = f.length * weight(data.ways[f.way]);
    if (in) {
      const rail_graph::edge& e = g.edges[*in];
      if (turns_back(g, e, f)) return std::nullopt;
      if (e.way != f.way && (!e.to_way_end || !f.from_way_end)) c += kSwitchCharge;
    }
    return c;
  };
  for (uint32_t s : from) {
    for (uint32_t e = g.first_out[s]; e < g.first_out[s + 1]; ++e) {
      const auto c = step_cost(arriving, e);
      if (c && *c < cost[e]) {
        cost[e] = *c;
        queue.push({*c, e});
      }
    }
  }
  std::optional<uint32_t> reached;
  while (!queue.empty()) {
    const auto [c, e] = queue.top();
    queue.pop();
    if (c > cost[e]) continue;
    const uint32_t v = g.edges[e].to;
    if (target[v]) {
      reached = e;
      break;
    }
    for (uint32_t f = g.first_out[v]; f < g.first_out[v + 1]; ++f) {
      const auto step = step_cost(e, f);
      if (step && c + *step < cost[f]) {
        cost[f] = c + *step;
        previous[f] = e;
        queue.push({cost[f], f});
      }
    }
  }
  if (!reached) return std::nullopt;
  rail_path path;
  for (uint32_t e = *reached; e != std::numeric_limits<uint32_t>::max(); e = previous[e]) path.edges.push_back(e);
  std::reverse(path.edges.begin(), path.edges.end());
  for (size_t i = 0; i + 1 < path.edges.size(); ++i) {
    const rail_graph::edge& e = g.edges[path.edges[i]];
    const rail_graph::edge& f = g.edges[path.edges[i + 1]];
    if (g.first_out[e.to + 1] - g.first_out[e.to] > 2) ++path.switches;
    if (e.way != f.way && (!e.to_way_end || !f.from_way_end)) ++path.way_changes;
  }
  return path;
}

}  // namespace scenario::tool::import
