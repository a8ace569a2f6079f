// The path found on the railway as the route: a polyline in metres with
// its distance along the route, and what the map says along it (tunnels,
// bridges, stops, speeds, kilometre posts), placed at its distance.
#ifndef TOOL_IMPORT_TRACK_H_
#define TOOL_IMPORT_TRACK_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tool/import/fit.h"
#include "tool/import/osm_data.h"
#include "tool/import/rail_graph.h"

namespace scenario::tool::import {

// Stops left out are told one by one up to this many, the rest counted:
// an extract with thousands of them makes no report of thousands of lines.
inline constexpr size_t kMostToldStops = 20;

struct track_stretch {
  double start = 0;  // m along the route
  double end = 0;
  std::string name;  // UTF-8; empty when the map names none
};

struct track_stop {
  int64_t id = 0;
  std::string name;  // UTF-8
  stop_kind kind = stop_kind::station;
  double at = 0;      // m along the route, where the stop projects onto it
  double across = 0;  // m from the track
};

struct speed_change {
  double at = 0;  // m
  int kmh = 0;
};

struct kilometre_post {
  int64_t id = 0;
  double at = 0;      // m along the route
  double value = 0;   // the line's kilometre the post shows, in m
};

struct track {
  std::vector<track_xy> points;    // in running order
  std::vector<geo_point> places;   // the same points in degrees
  std::vector<double> chainage;    // m from the first point
  std::vector<std::optional<double>> elevation;  // ele=* of each point's node
  std::vector<track_stretch> tunnels;
  std::vector<track_stretch> bridges;
  std::vector<track_stop> stops;  // ascending `at`, one per name
  std::vector<speed_change> speeds;  // ascending; the first at 0 when any way has a speed
  std::vector<kilometre_post> posts;  // ascending `at`
  std::vector<std::string> skipped;   // what the map has that the route leaves out, and why (Italian)

  double length() const { return chainage.empty() ? 0 : chainage.back(); }
  // The place at `at` metres along the route, between its points.
  geo_point place_at(double at) const;
};

// The route along `path`, with the stops and the kilometre posts of the map
// that lie within `stop_distance` metres of it; stop positions, on the
// track, always count.
track build_track(const rail_graph& graph, const osm_extract& data, const rail_path& path,
                  const local_projection& projection, double stop_distance);

// A kilometre post's railway:position ("12.3", "12,300") in metres.
std::optional<double> kilometre_value(const std::string& position);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_TRACK_H_
