#include "tool/import/osm_data.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>
#include <exception>
#include <filesystem>
#include <fstream>
#include <istream>
#include <sstream>
#include <osmium/handler.hpp>
#include <osmium/io/pbf_input.hpp>
#include <osmium/io/xml_input.hpp>
#include <osmium/osm/node.hpp>
#include <osmium/osm/way.hpp>
#include <osmium/visitor.hpp>
#include <protozero/exception.hpp>
#include <protozero/pbf_reader.hpp>

namespace scenario::tool::import {
namespace {

// An object's tags as read from the extract's bytes, each string bounded.
// The map library lays a tag list out as key and value strings, each ended
// by a zero byte, and finds the next tag by the end of the last; a string
// of a damaged PBF block that holds a zero byte of its own throws that walk
// off and sends the library's lookup past the end of the object. Here the
// list is walked within its own size: a list whose strings do not pair up
// exactly is damage, told as such.
class object_tags {
 public:
  explicit object_tags(const osmium::TagList& list) {
    const char* p = reinterpret_cast<const char*>(list.data()) + sizeof(osmium::TagList);
    const char* const end = reinterpret_cast<const char*>(list.data()) + list.byte_size();
    if (list.byte_size() < sizeof(osmium::TagList)) throw damaged_extract();
    while (p < end) {
      const char* key_end = static_cast<const char*>(std::memchr(p, 0, static_cast<size_t>(end - p)));
      if (key_end == nullptr) throw damaged_extract();
      const char* value = key_end + 1;
      const char* value_end =
          value < end ? static_cast<const char*>(std::memchr(value, 0, static_cast<size_t>(end - value))) : nullptr;
      if (value_end == nullptr) throw damaged_extract();
      tags_.emplace_back(std::string_view(p, static_cast<size_t>(key_end - p)),
                         std::string_view(value, static_cast<size_t>(value_end - value)));
      p = value_end + 1;
    }
  }

  bool empty() const { return tags_.empty(); }

  // The value of `key`, or nothing when the object lacks it.
  std::optional<std::string_view> operator[](std::string_view key) const {
    for (const auto& [k, v] : tags_) {
      if (k == key) return v;
    }
    return std::nullopt;
  }

  bool is(std::string_view key, std::string_view value) const { return (*this)[key] == value; }

  std::string or_empty(std::string_view key) const { return std::string((*this)[key].value_or("")); }

  // Set to anything but "no".
  bool set(std::string_view key) const {
    const auto v = (*this)[key];
    return v && *v != "no";
  }

 private:
  std::vector<std::pair<std::string_view, std::string_view>> tags_;
};

geo_point place(const osmium::Node& node) {
  return {node.location().lon_without_check(), node.location().lat_without_check()};
}

// First pass: the railway ways and the tagged nodes, which carry their own
// place.
class ways_and_stops : public osmium::handler::Handler {
 public:
  explicit ways_and_stops(osm_extract& out) : out_(out) {}

  void node(const osmium::Node& node) {
    const object_tags tags(node.tags());
    if (tags.empty() || !node.location().valid()) return;
    const std::string_view rw = tags["railway"].value_or("");
    if (rw == "milestone") {
      std::string position = tags.or_empty("railway:position");
      if (position.empty()) position = tags.or_empty("railway:position:exact");
      out_.milestones.push_back({node.id(), position, place(node)});
      return;
    }
    const auto name = tags["name"];
    if (!name) return;
    stop_kind kind;
    if (rw == "station") {
      kind = stop_kind::station;
    } else if (rw == "halt") {
      kind = stop_kind::halt;
    } else if (rw == "stop" || tags.is("public_transport", "stop_position")) {
      // Stop positions of buses and trams are no place for a train.
      if (rw != "stop" && !tags.is("train", "yes")) return;
      kind = stop_kind::stop_position;
    } else {
      return;
    }
    out_.stops.push_back({node.id(), std::string(*name), kind, place(node)});
  }

  void way(const osmium::Way& way) {
    const object_tags tags(way.tags());
    if (!tags.is("railway", "rail")) return;
    rail_way w;
    w.id = way.id();
    for (const osmium::NodeRef& ref : way.nodes()) w.nodes.push_back(ref.ref());
    w.usage = tags.or_empty("usage");
    w.service = tags.or_empty("service");
    w.tunnel = tags.set("tunnel");
    w.bridge = tags.set("bridge");
    w.maxspeed = tags.or_empty("maxspeed");
    for (const char* key : {"tunnel:name", "bridge:name", "name"}) {
      if (w.name.empty()) w.name = tags.or_empty(key);
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
    if (const auto ele = object_tags(node.tags())["ele"]) {
      // The value is a string of its own, ended by its zero byte.
      const char* text = ele->data();
      char* end = nullptr;
      const double value = std::strtod(text, &end);
      if (end != text) n.elevation = value;
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

namespace {

// Both passes over one extract, a file or bytes in memory.
read_extract read_extract_from(const osmium::io::File& file, const std::string& path, bool pbf) {
  osm_extract out;
  const std::string what = "il file " + path + " non si legge come estratto OpenStreetMap (" +
                           (pbf ? std::string("PBF") : std::string("XML")) + ")";
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
  } catch (const damaged_extract&) {
    return {std::nullopt, what + ": e' danneggiato (un oggetto ha etichette illeggibili)"};
  } catch (const std::exception& e) {
    return {std::nullopt, what + ": " + e.what()};
  }
  return {std::move(out), ""};
}

// The framing of a PBF extract, checked before the map library reads it:
// a 4-byte big-endian size, a block header of at most 64 KiB whose type is
// "OSMHeader" for the first block and "OSMData" for every other and whose
// size of the block that follows is above 0 and at most 32 MiB, that
// block, and so on to the end of the file exactly. The library trusts a
// header without a type; here it is damage, told with the block's offset.
std::optional<std::string> pbf_framing_problem(std::istream& in) {
  constexpr uint32_t kMaxHeader = 64 * 1024;
  constexpr int64_t kMaxBlock = 32 * 1024 * 1024;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  std::streamoff at = 0;
  std::string header;
  for (int block = 0; at < size; ++block) {
    const std::string where = " (blocco " + std::to_string(block + 1) + ", byte " + std::to_string(at) + ")";
    unsigned char length[4];
    if (size - at < 4 || !in.read(reinterpret_cast<char*>(length), 4)) return "il file finisce a meta' di un blocco" + where;
    const uint32_t header_size = uint32_t{length[0]} << 24 | uint32_t{length[1]} << 16 | uint32_t{length[2]} << 8 | length[3];
    if (header_size == 0 || header_size > kMaxHeader || header_size > size - at - 4) {
      return "l'intestazione di un blocco ha una lunghezza impossibile" + where;
    }
    header.resize(header_size);
    if (!in.read(header.data(), header_size)) return "il file finisce a meta' di un blocco" + where;
    std::string_view type;
    int64_t data_size = 0;
    try {
      protozero::pbf_reader fields(header.data(), header.size());
      while (fields.next()) {
        if (fields.tag() == 1 && fields.wire_type() == protozero::pbf_wire_type::length_delimited) {
          const protozero::data_view v = fields.get_view();
          type = std::string_view(v.data(), v.size());
        } else if (fields.tag() == 3 && fields.wire_type() == protozero::pbf_wire_type::varint) {
          data_size = fields.get_int32();
        } else {
          fields.skip();
        }
      }
    } catch (const protozero::exception&) {
      return "l'intestazione di un blocco e' illeggibile" + where;
    }
    if (type != (block == 0 ? "OSMHeader" : "OSMData")) return "un blocco non e' del tipo atteso" + where;
    const std::streamoff next = at + 4 + header_size + data_size;
    if (data_size <= 0 || data_size > kMaxBlock || next > size) {
      return "un blocco ha una lunghezza impossibile" + where;
    }
    in.seekg(next);
    at = next;
  }
  if (at == 0) return std::string("il file e' vuoto");
  return std::nullopt;
}

read_extract damaged(const std::string& path, const std::string& why) {
  return {std::nullopt, "il file " + path + " non si legge come estratto OpenStreetMap (PBF): e' danneggiato: " + why};
}

}  // namespace

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
  if (pbf) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {std::nullopt, "impossibile leggere il file " + path};
    if (const auto problem = pbf_framing_problem(in)) return damaged(path, *problem);
  }
  return read_extract_from(osmium::io::File(path, pbf ? "pbf" : "xml"), path, pbf);
}

read_extract read_osm_bytes(std::string_view bytes, bool pbf, const std::string& path) {
  if (pbf) {
    std::istringstream in{std::string(bytes)};
    if (const auto problem = pbf_framing_problem(in)) return damaged(path, *problem);
  }
  return read_extract_from(osmium::io::File(bytes.data(), bytes.size(), pbf ? "pbf" : "xml"), path, pbf);
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
