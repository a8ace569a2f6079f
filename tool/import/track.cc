#include "tool/import/track.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "tool/import/names.h"
#include "tool/import/segment_grid.h"

namespace scenario::tool::import {
namespace {

struct on_route {
  double at = 0;      // m along the route
  double across = 0;  // m from it
  uint32_t segment = 0;  // the nearest segment, by its first point
};

// Where `p` projects onto the polyline: the nearest point of its segments
// within `reach` metres, or an infinite distance when none is.
on_route project(const track& t, const segment_grid& grid, track_xy p, double reach) {
  on_route best{0, std::numeric_limits<double>::infinity()};
  for (const uint32_t i : grid.near(p, reach)) {
    const track_xy a = t.points[i], b = t.points[i + 1];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double span = dx * dx + dy * dy;
    const double u = span > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / span, 0.0, 1.0) : 0.0;
    const double d = std::hypot(a.x + u * dx - p.x, a.y + u * dy - p.y);
    // Of two segments as near, the first along the route, whatever the order found.
    if (d <= reach && (d < best.across || (d == best.across && i < best.segment))) {
      best = {t.chainage[i] + u * (t.chainage[i + 1] - t.chainage[i]), d, i};
    }
  }
  return best;
}

std::string metres(double m) { return std::to_string(static_cast<long long>(std::lround(m))) + " m"; }

// Runs of consecutive segments whose way has `flag` set, as stretches.
template <typename Flag>
std::vector<track_stretch> stretches(const track& t, const rail_graph& g, const osm_extract& data,
                                     const rail_path& path, Flag flag) {
  std::vector<track_stretch> out;
  for (size_t i = 0; i < path.edges.size(); ++i) {
    const rail_way& w = data.ways[g.edges[path.edges[i]].way];
    if (!flag(w)) continue;
    if (!out.empty() && out.back().end == t.chainage[i]) {
      out.back().end = t.chainage[i + 1];
      if (out.back().name.empty()) out.back().name = w.name;
    } else {
      out.push_back({t.chainage[i], t.chainage[i + 1], w.name});
    }
  }
  return out;
}

}  // namespace

std::optional<double> kilometre_value(const std::string& position) {
  std::string text = position;
  std::replace(text.begin(), text.end(), ',', '.');
  double km = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), km);
  if (ec != std::errc() || end != text.data() + text.size() || !(km >= 0) || km > 100000) return std::nullopt;
  return km * 1000;
}

geo_point track::place_at(double at) const {
  if (points.empty()) return {};
  const auto it = std::upper_bound(chainage.begin(), chainage.end(), at);
  if (it == chainage.begin()) return places.front();
  if (it == chainage.end()) return places.back();
  const size_t i = static_cast<size_t>(it - chainage.begin()) - 1;
  const double span = chainage[i + 1] - chainage[i];
  const double u = span > 0 ? (at - chainage[i]) / span : 0;
  return {places[i].lon + u * (places[i + 1].lon - places[i].lon),
          places[i].lat + u * (places[i + 1].lat - places[i].lat)};
}

track build_track(const rail_graph& g, const osm_extract& data, const rail_path& path,
                  const local_projection& projection, double stop_distance) {
  track t;
  if (path.edges.empty()) return t;
  auto add_point = [&](uint32_t node) {
    const track_node& n = data.nodes[node];
    const track_xy p = g.xy[node];
    t.chainage.push_back(t.points.empty() ? 0 : t.chainage.back() + std::hypot(p.x - t.points.back().x,
                                                                                 p.y - t.points.back().y));
    t.points.push_back(p);
    t.places.push_back(n.at);
    t.elevation.push_back(n.elevation);
  };
  add_point(g.edges[path.edges.front()].from);
  for (uint32_t e : path.edges) add_point(g.edges[e].to);

  t.tunnels = stretches(t, g, data, path, [](const rail_way& w) { return w.tunnel; });
  t.bridges = stretches(t, g, data, path, [](const rail_way& w) { return w.bridge; });

  // Speeds: where the way's maxspeed changes.
  std::set<std::string> unread_speeds;
  for (size_t i = 0; i < path.edges.size(); ++i) {
    const rail_way& w = data.ways[g.edges[path.edges[i]].way];
    if (w.maxspeed.empty()) continue;
    const auto kmh = maxspeed_kmh(w.maxspeed);
    if (!kmh) {
      if (unread_speeds.insert(w.maxspeed).second) {
        t.skipped.push_back("maxspeed=" + w.maxspeed + " (via " + std::to_string(w.id) +
                            "): non e' una velocita' in km/h");
      }
      continue;
    }
    if (t.speeds.empty() || t.speeds.back().kmh != *kmh) t.speeds.push_back({t.speeds.empty() ? 0 : t.chainage[i], *kmh});
  }

  // Stops and posts are looked for among the segments near them, so that
  // the time follows the route, not the number of them in the extract: in
  // cells as large as the distance a stop may have, and, for a stop told
  // as left out up to ten times as far, in cells ten times larger.
  const double stop_position_distance = std::max(stop_distance, 5.0);
  const segment_grid near_grid(t.points, std::max(25.0, stop_position_distance));
  const segment_grid far_grid(t.points, 10 * std::max(25.0, stop_position_distance));

  // Stops: stop positions on the track, stations and halts near it; one per
  // name, the one nearest the track.
  std::map<std::string, track_stop> by_name;
  size_t away = 0;  // stops told as too far from the track
  for (const stop_node& s : data.stops) {
    const double allowed = s.kind == stop_kind::stop_position ? stop_position_distance : stop_distance;
    const track_xy p = projection.to_metres(s.at);
    on_route where = project(t, near_grid, p, allowed);
    if (where.across > allowed) where = project(t, far_grid, p, 10 * allowed);
    if (where.across > allowed) {
      if (where.across <= 10 * allowed && where.at > 0 && where.at < t.length() && ++away <= kMostToldStops) {
        t.skipped.push_back("fermata " + s.name + ": a " + metres(where.across) + " dal binario (oltre " +
                            metres(stop_distance) + ", --stop-distance)");
      }
      continue;
    }
    const std::string key = fold_name(s.name);
    const auto it = by_name.find(key);
    if (it == by_name.end() || where.across < it->second.across) {
      by_name[key] = {s.id, s.name, s.kind, where.at, where.across};
    }
  }
  if (away > kMostToldStops) {
    t.skipped.push_back("altre " + std::to_string(away - kMostToldStops) + " fermate a meno di " +
                        metres(10 * stop_distance) + " ma oltre " + metres(stop_distance) +
                        " dal binario (--stop-distance)");
  }
  for (auto& [key, stop] : by_name) t.stops.push_back(std::move(stop));
  std::sort(t.stops.begin(), t.stops.end(), [](const track_stop& a, const track_stop& b) { return a.at < b.at; });

  for (const milestone_node& m : data.milestones) {
    const on_route where = project(t, near_grid, projection.to_metres(m.at), stop_distance);
    if (where.across > stop_distance) continue;
    const auto value = kilometre_value(m.position);
    if (!value) {
      t.skipped.push_back("cippo chilometrico " + std::to_string(m.id) + ": railway:position \"" + m.position +
                          "\" non e' un chilometro");
      continue;
    }
    t.posts.push_back({m.id, where.at, *value});
  }
  std::sort(t.posts.begin(), t.posts.end(), [](const auto& a, const auto& b) { return a.at < b.at; });
  return t;
}

}  // namespace scenario::tool::import
