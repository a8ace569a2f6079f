// What `scenario import` takes from a map extract: the railway tracks, the
// places a train stops and the kilometre posts, with the positions of only
// the nodes the tracks need.
#ifndef TOOL_IMPORT_OSM_DATA_H_
#define TOOL_IMPORT_OSM_DATA_H_

#include <cstdint>
#include <optional>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool::import {

struct geo_point {
  double lon = 0;  // degrees, WGS 84
  double lat = 0;
};

// A way tagged railway=rail, with the tags the import reads.
struct rail_way {
  int64_t id = 0;
  std::vector<int64_t> nodes;
  std::string usage;     // usage=* (main, branch, ...)
  std::string service;   // service=* (siding, crossover, yard, spur, ...)
  bool tunnel = false;   // tunnel=* other than "no"
  bool bridge = false;   // bridge=* other than "no"
  std::string maxspeed;  // maxspeed=* as written
  std::string name;      // tunnel:name, bridge:name or name (UTF-8)
};

enum class stop_kind { station, halt, stop_position };

// A node where a train may stop: railway=station/halt/stop or
// public_transport=stop_position.
struct stop_node {
  int64_t id = 0;
  std::string name;  // UTF-8
  stop_kind kind = stop_kind::station;
  geo_point at;
};

// railway=milestone with its railway:position (kilometres, as written).
struct milestone_node {
  int64_t id = 0;
  std::string position;
  geo_point at;
};

// A node of a track with its place, and its ele=* when the map has one.
struct track_node {
  int64_t id = 0;
  geo_point at;
  std::optional<double> elevation;
};

struct osm_extract {
  std::vector<rail_way> ways;
  std::vector<stop_node> stops;
  std::vector<milestone_node> milestones;
  std::vector<track_node> nodes;  // ascending id; only those the ways name and the map holds
  size_t missing_nodes = 0;       // nodes the ways name that the extract lacks

  // The node of a track, or null when the extract lacks it.
  const track_node* node(int64_t id) const;
};

struct read_extract {
  std::optional<osm_extract> data;
  std::string error;  // in Italian, naming the file, when data is empty
};

// Reads an .osm.pbf or .osm file in two passes: the first keeps the
// railway ways and the tagged nodes, the second only the positions of the
// nodes the ways name, so memory grows with the railway and not with the
// extract.
read_extract read_osm(const std::string& path);

// The same for an extract held in memory (PBF or XML), named `path` in the
// error.
read_extract read_osm_bytes(std::string_view bytes, bool pbf, const std::string& path);

// Thrown while reading when an object of the extract is damaged in a way
// the map library does not check itself.
struct damaged_extract : std::exception {};

// The first number of a maxspeed value in km/h ("90", "60 mph", "IT:rural"
// gives nothing).
std::optional<int> maxspeed_kmh(const std::string& value);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_OSM_DATA_H_
