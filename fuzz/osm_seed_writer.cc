// Writes the seeds of the map reader's fuzz target into a folder: each data
// block of a real PBF extract behind its header block (a small valid extract
// apiece), and small extracts written here, as XML and as PBF with and
// without compression.
//
//   osm_seed_writer EXTRACT.osm.pbf FOLDER
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <osmium/builder/attr.hpp>
#include <osmium/io/pbf_output.hpp>
#include <osmium/io/writer.hpp>
#include <osmium/io/xml_output.hpp>
#include <osmium/memory/buffer.hpp>
#include <string>
#include <vector>

namespace {

bool put(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

// The blocks of a PBF file: a 4-byte big-endian size, a block header of
// that size whose field 3 is the size of the block that follows.
std::vector<std::string> pbf_blocks(const std::string& file) {
  std::vector<std::string> blocks;
  size_t at = 0;
  while (at + 4 <= file.size()) {
    const uint32_t header = (uint32_t{static_cast<uint8_t>(file[at])} << 24) |
                            (uint32_t{static_cast<uint8_t>(file[at + 1])} << 16) |
                            (uint32_t{static_cast<uint8_t>(file[at + 2])} << 8) |
                            uint32_t{static_cast<uint8_t>(file[at + 3])};
    if (header > file.size() - at - 4) break;
    // Field 3 (datasize), a varint, is the header's last field.
    const std::string_view h(file.data() + at + 4, header);
    const size_t tag = h.rfind('\x18');
    if (tag == std::string_view::npos) break;
    uint64_t size = 0;
    for (size_t i = tag + 1, shift = 0; i < h.size() && shift < 35; ++i, shift += 7) {
      size |= uint64_t{static_cast<uint8_t>(h[i]) & 0x7fu} << shift;
      if (!(static_cast<uint8_t>(h[i]) & 0x80)) break;
    }
    const size_t end = at + 4 + header + size;
    if (end > file.size()) break;
    blocks.push_back(file.substr(at, end - at));
    at = end;
  }
  return blocks;
}

void write_small(const std::filesystem::path& path, const std::string& format) {
  using namespace osmium::builder::attr;  // NOLINT: the library's own way to name attributes
  osmium::memory::Buffer buffer(4096, osmium::memory::Buffer::auto_grow::yes);
  for (int i = 0; i < 6; ++i) {
    osmium::builder::add_node(buffer, _id(i + 1), _version(1), _location(9.0 + i * 0.002, 45.0),
                              _tag("ele", std::to_string(100 + i).c_str()));
  }
  osmium::builder::add_node(buffer, _id(20), _version(1), _location(9.0001, 44.9997), _tag("railway", "station"),
                            _tag("name", "Stazione"));
  osmium::builder::add_node(buffer, _id(21), _version(1), _location(9.01, 45.0), _tag("railway", "halt"),
                            _tag("name", "Fermata"));
  osmium::builder::add_node(buffer, _id(22), _version(1), _location(9.004, 45.0), _tag("railway", "milestone"),
                            _tag("railway:position", "12.4"));
  osmium::builder::add_way(buffer, _id(30), _version(1), _nodes({1, 2, 3}), _tag("railway", "rail"),
                           _tag("usage", "main"), _tag("maxspeed", "100"));
  osmium::builder::add_way(buffer, _id(31), _version(1), _nodes({3, 4, 5, 6}), _tag("railway", "rail"),
                           _tag("tunnel", "yes"), _tag("name", "Galleria"), _tag("maxspeed", "60 mph"));
  osmium::io::Writer writer(osmium::io::File(path.string(), format), osmium::io::overwrite::allow);
  writer(std::move(buffer));
  writer.close();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "uso: osm_seed_writer ESTRATTO.osm.pbf CARTELLA\n";
    return 2;
  }
  const std::filesystem::path folder(argv[2]);
  std::filesystem::create_directories(folder);
  std::ifstream in(argv[1], std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<std::string> blocks = pbf_blocks(file);
  if (blocks.size() < 2) {
    std::cerr << argv[1] << ": nessun blocco di dati\n";
    return 1;
  }
  bool ok = true;
  for (size_t i = 1; i < blocks.size(); ++i) {
    ok = put(folder / ("block_" + std::to_string(i)), blocks[0] + blocks[i]) && ok;
  }
  write_small(folder / "small.osm", "xml");
  write_small(folder / "small.osm.pbf", "pbf");
  write_small(folder / "small_raw.osm.pbf", "pbf,pbf_compression=none");
  write_small(folder / "small_sparse.osm.pbf", "pbf,pbf_dense_nodes=false,pbf_compression=none");
  return ok ? 0 : 1;
}
