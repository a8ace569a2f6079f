#include "bench/synthetic_extract.h"

#include <cmath>
#include <osmium/builder/attr.hpp>
#include <osmium/io/pbf_output.hpp>
#include <osmium/io/writer.hpp>
#include <osmium/memory/buffer.hpp>
#include <vector>

namespace scenario::bench {

void write_synthetic_extract(const std::string& path, double length_m, int64_t padding_nodes) {
  using namespace osmium::builder::attr;  // NOLINT
  osmium::io::Header header;
  header.set("generator", "scenario bench");
  osmium::io::Writer writer(path, header, osmium::io::overwrite::allow);
  osmium::memory::Buffer buffer(1 << 20, osmium::memory::Buffer::auto_grow::yes);
  auto flush = [&](bool always) {
    if (always || buffer.committed() > (1 << 19)) {
      writer(std::move(buffer));
      buffer = osmium::memory::Buffer(1 << 20, osmium::memory::Buffer::auto_grow::yes);
    }
  };
  // The line: a node every 20 m, heading turning slowly one way and the
  // other, from 45 N 9 E.
  const double metres_per_degree_lat = 111195, metres_per_degree_lon = 111195 * std::cos(45 * M_PI / 180);
  int64_t id = 1;
  std::vector<int64_t> line;
  double x = 0, y = 0, heading = 0;
  for (double s = 0; s <= length_m; s += 20) {
    heading = 0.6 * std::sin(s / 3000) + 0.3 * std::sin(s / 700);
    x += 20 * std::sin(heading);
    y += 20 * std::cos(heading);
    const osmium::Location at(9 + x / metres_per_degree_lon, 45 + y / metres_per_degree_lat);
    osmium::builder::add_node(buffer, _id(id), _version(1), _location(at));
    line.push_back(id++);
    flush(false);
  }
  const osmium::Location first(9.0, 45.0);  // doubles: two ints are 1e-7 degree units
  const osmium::Location last(9 + x / metres_per_degree_lon, 45 + y / metres_per_degree_lat);
  osmium::builder::add_node(buffer, _id(id++), _version(1), _location(first),
                            _tag("railway", "station"), _tag("name", "Origine"));
  osmium::builder::add_node(buffer, _id(id++), _version(1), _location(last),
                            _tag("railway", "station"), _tag("name", "Termine"));
  // Padding: a grid of nodes beside the line, in roads.
  const int64_t padding_first = id;
  // Scattered as a real extract's are (a regular grid compresses to
  // almost nothing): 8 million nodes make about 55 MB.
  uint64_t scatter = 88172645463325252ull;
  for (int64_t i = 0; i < padding_nodes; ++i) {
    scatter ^= scatter << 13;
    scatter ^= scatter >> 7;
    scatter ^= scatter << 17;
    const osmium::Location at(8.5 + static_cast<double>(scatter % 1000000) * 1e-6,
                              44.5 + static_cast<double>((scatter >> 20) % 1000000) * 1e-6);
    osmium::builder::add_node(buffer, _id(id++), _version(1), _location(at));
    flush(false);
  }
  flush(true);
  int64_t way_id = 1;
  for (size_t from = 0; from + 1 < line.size(); from += 500) {
    std::vector<int64_t> refs(line.begin() + static_cast<ptrdiff_t>(from),
                              line.begin() + static_cast<ptrdiff_t>(std::min(line.size(), from + 501)));
    osmium::builder::add_way(buffer, _id(way_id++), _version(1), _nodes(refs), _tag("railway", "rail"),
                             _tag("usage", "main"), _tag("maxspeed", "140"));
    flush(false);
  }
  for (int64_t first_node = padding_first; first_node + 50 <= padding_first + padding_nodes; first_node += 50) {
    std::vector<int64_t> refs;
    for (int64_t n = first_node; n < first_node + 50; ++n) refs.push_back(n);
    osmium::builder::add_way(buffer, _id(way_id++), _version(1), _nodes(refs), _tag("highway", "residential"));
    flush(false);
  }
  flush(true);
  writer.close();
}

}  // namespace scenario::bench
