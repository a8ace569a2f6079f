#include "tool/import/osm_data.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <osmium/handler.hpp>
#include <osmium/io/pbf_input.hpp>
#include <osmium/io/xml_input.hpp>
#include <osmium/osm/node.hpp>
#include <osmium/osm/way.hpp>
#include <osmium/visitor.hpp>

namespace scenario::tool::import {
namespace {

bool tag_is(const osmium::TagList& tags, const char* key, const char* value) {
  const char* v = tags[key];
  return v != nullptr && std::string_view(v) == value;
}

std::string tag_or_empty(const osmium::TagList& tags, const char* key) {
  const char* v = tags[key];
  return v == nullptr ? std::string() : std::string(v);
}

bool tag_set(const osmium::TagList& tags, const char* key) {
  const char* v = tags[key];
  return v != nullptr && std::string_view(v) != "no";
}

geo_point place(const osmium::Node& node) {
  return {node.location().lon_without_check(), node.location().lat_without_check()};
}

// First pass: the railway ways and the tagged nodes, which carry their own
// place.
class ways_and_stops : public osmium::handler::Handler {
 public:
  explicit ways_and_stops(osm_extract& out) : out_(out) {}

  void node(const osmium::Node& node) {
    const osmium::TagList& tags = node.tags();
    if (tags.empty() || !node.location().valid()) return;
    const char* railway = tags["railway"];
    const std::string_view rw = railway == nullptr ? "" : railway;
    if (rw == "milestone") {
      std::string position = tag_or_empty(tags, "railway:position");
      if (position.empty()) position = tag_or_empty(tags, "railway:position:exact");
      out_.milestones.push_back({node.id(), position, place(node)});
      return;
    }
    const char* name = tags["name"];
    if (name == nullptr) return;
    stop_kind kind;
    if (rw == "station") {
      kind = stop_kind::station;
    } else if (rw == "halt") {
      kind = stop_kind::halt;
    } else if (rw == "stop" || tag_is(tags, "public_transport", "stop_position")) {
      // Stop positions of buses and trams are no place for a train.
      if (rw != "stop" && !tag_is(tags, "train", "yes") && !tag_is(tags, "railway", "stop")) return;
      kind = stop_kind::stop_position;
    } else {
      return;
    }
    out_.stops.push_back({node.id(), name, kind, place(node)});
  }

  void way(const osmium::Way& way) {
    const osmium::TagList& tags = way.tags();
    if (!tag_is(tags, "railway", "rail")) return;
    rail_way w;
    w.id = way.id();
    for (const osmium::NodeRef& ref : way.nodes()) w.nodes.push_back(ref.ref());
    w.usage = tag_or_empty(tags, "usage");
    w.service = tag_or_empty(tags, "service");
    w.tunnel = tag_set(tags, "tunnel");
    w.bridge = tag_set(tags, "bridge");
    w.maxspeed = tag_or_empty(tags, "maxspeed");
    for (const char* key : {"tunnel:name", "bridge:name", "name"}) {
      if (w.name.empty()) w.name = tag_or_empty(tags, key);
    }
    out_.ways.push_back(std::move(w));
  }

 private:
  osm_extract& out_;
};

// Second pass: the places of the nodes the ways name, nothing else.
class track_nodes : public osmium::handler::Handler {
 public:
  track_nodes(const std::vector<int64_t>& needed, std::vector<track_node>& out) : needed_(needed), out_(out) {}

  void node(const osmium::Node& node) {
    if (!node.location().valid() || !std::binary_search(needed_.begin(), needed_.end(), node.id())) return;
    track_node n{node.id(), place(node), std::nullopt};
    if (const char* ele = node.tags()["ele"]) {
      char* end = nullptr;
      const double value = std::strtod(ele, &end);
      if (end != ele) n.elevation = value;
    }
    out_.push_back(n);
  }

 private:
  const std::vector<int64_t>& needed_;
  std::vector<track_node>& out_;
};

}  // namespace

const track_node* osm_extract::node(int64_t id) const {
  const auto it = std::lower_bound(nodes.begin(), nodes.end(), id,
                                   [](const track_node& n, int64_t wanted) { return n.id < wanted; });
  return it != nodes.end() && it->id == id ? &*it : nullptr;
}

read_extract read_osm(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    return {std::nullopt, "il file " + path + " non esiste o non e' un file"};
  }
  const std::string name = std::filesystem::path(path).filename().string();
  const bool pbf = name.size() > 4 && name.ends_with(".pbf");
  const bool xml = name.size() > 4 && name.ends_with(".osm");
  if (!pbf && !xml) {
    return {std::nullopt, "il file " + path + " non e' un estratto OpenStreetMap (.osm.pbf o .osm)"};
  }
  const osmium::io::File file(path, pbf ? "pbf" : "xml");
  osm_extract out;
  try {
    {
      osmium::io::Reader reader(file, osmium::osm_entity_bits::node | osmium::osm_entity_bits::way);
      ways_and_stops first(out);
      osmium::apply(reader, first);
      reader.close();
    }
    std::vector<int64_t> needed;
    for (const rail_way& w : out.ways) needed.insert(needed.end(), w.nodes.begin(), w.nodes.end());
    std::sort(needed.begin(), needed.end());
    needed.erase(std::unique(needed.begin(), needed.end()), needed.end());
    if (!needed.empty()) {
      osmium::io::Reader reader(file, osmium::osm_entity_bits::node);
      track_nodes second(needed, out.nodes);
      osmium::apply(reader, second);
      reader.close();
    }
    std::sort(out.nodes.begin(), out.nodes.end(), [](const track_node& a, const track_node& b) { return a.id < b.id; });
    out.nodes.erase(std::unique(out.nodes.begin(), out.nodes.end(),
                                [](const track_node& a, const track_node& b) { return a.id == b.id; }),
                    out.nodes.end());
    out.missing_nodes = needed.size() - out.nodes.size();
  } catch (const std::exception& e) {
    return {std::nullopt, "il file " + path + " non si legge come estratto OpenStreetMap (" +
                              (pbf ? std::string("PBF") : std::string("XML")) + "): " + e.what()};
  }
  return {std::move(out), ""};
}

std::optional<int> maxspeed_kmh(const std::string& value) {
  size_t i = 0;
  while (i < value.size() && value[i] == ' ') ++i;
  int v = 0;
  size_t digits = 0;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9' && digits < 5) {
    v = v * 10 + (value[i] - '0');
    ++i;
    ++digits;
  }
  if (digits == 0 || v == 0) return std::nullopt;
  while (i < value.size() && value[i] == ' ') ++i;
  const std::string_view unit = std::string_view(value).substr(i);
  if (unit == "mph") return static_cast<int>(v * 1.609344 + 0.5);
  if (!unit.empty() && unit != "km/h" && unit != "kmh") return std::nullopt;
  return v;
}

}  // namespace scenario::tool::import
