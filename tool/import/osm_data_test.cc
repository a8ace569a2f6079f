// The map reader on extracts written here with the map library itself, as
// PBF blocks left uncompressed so that a test can damage one byte of a
// string the way a bad copy does.
#include "tool/import/osm_data.h"

#include <gtest/gtest.h>

#include <osmium/builder/attr.hpp>
#include <osmium/io/pbf_output.hpp>
#include <osmium/io/writer.hpp>
#include <osmium/memory/buffer.hpp>
#include <string>
#include <vector>

#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/tool_testing.h"

namespace scenario::tool::import {
namespace {

using scenario::testing::read_file;
using scenario::testing::temp_dir;
using scenario::testing::write_file;

// A track of three nodes with a station beside it, as an uncompressed PBF.
std::string small_extract_pbf(const std::string& path) {
  using namespace osmium::builder::attr;  // NOLINT: the library's own way to name attributes
  osmium::memory::Buffer buffer(4096, osmium::memory::Buffer::auto_grow::yes);
  osmium::builder::add_node(buffer, _id(1), _version(1), _location(9.000, 45.0));
  osmium::builder::add_node(buffer, _id(2), _version(1), _location(9.005, 45.0));
  osmium::builder::add_node(buffer, _id(3), _version(1), _location(9.010, 45.0));
  osmium::builder::add_node(buffer, _id(4), _version(1), _location(9.0001, 44.9997),
                            _tag("railway", "station"), _tag("name", "Stazione Prova"));
  osmium::builder::add_way(buffer, _id(10), _version(1), _nodes({1, 2, 3}), _tag("railway", "rail"),
                           _tag("maxspeed", "100"));
  {
    osmium::io::Writer writer(osmium::io::File(path, "pbf,pbf_compression=none"), osmium::io::overwrite::allow);
    writer(std::move(buffer));
    writer.close();
  }
  return read_file(path);
}

TEST(OsmData, AStringWithAZeroByteInAPbfBlockIsDamageNotACrash) {
  temp_dir dir;
  const std::string whole = small_extract_pbf(dir.file("whole.osm.pbf"));
  const read_extract good = read_osm(dir.file("whole.osm.pbf"));
  ASSERT_TRUE(good.data) << good.error;
  ASSERT_EQ(good.data->stops.size(), 1u);
  EXPECT_EQ(good.data->stops[0].name, "Stazione Prova");
  EXPECT_EQ(good.data->ways.size(), 1u);
  EXPECT_EQ(good.data->nodes.size(), 3u);

  // One zero byte in each string of the block's string table in turn: the
  // tag list of the object that uses it no longer pairs up (or pairs up as
  // other tags); either way nothing is read beyond the object.
  for (const std::string text : {"Stazione Prova", "railway", "station", "maxspeed", "rail"}) {
    const size_t at = whole.find(text);
    ASSERT_NE(at, std::string::npos) << text;
    std::string damaged = whole;
    damaged[at + text.size() / 2] = '\0';
    const std::string path = dir.file("damaged.osm.pbf");
    write_file(path, damaged);
    const read_extract read = read_osm(path);
    if (read.data) continue;  // an even number of strings: other tags, not ours
    EXPECT_NE(read.error.find(path), std::string::npos) << read.error;
    EXPECT_NE(read.error.find("danneggiato"), std::string::npos) << read.error;
    const tool::testing::tool_run run =
        tool::testing::run_command(run_import, {path, "--from", "Stazione Prova", "--to", "45.0,9.01", "--route", "Prova", "--train", "1",
                                                    "-o", dir.str()});
    EXPECT_EQ(run.status, 2) << text << ": " << run.err;
    EXPECT_NE(run.err.find("danneggiato"), std::string::npos) << run.err;
  }
}

TEST(OsmData, AnyBytesAreAnExtractOrAnItalianErrorNamingIt) {
  temp_dir dir;
  const std::string whole = small_extract_pbf(dir.file("whole.osm.pbf"));
  const std::vector<std::pair<std::string, bool>> inputs = {
      {"", true},
      {whole.substr(0, whole.size() / 2), true},
      {std::string(64, '\xff'), true},
      {"<osm version=\"0.6\"><node id=\"1\" lat=\"45\" lon=\"9\"><tag k=\"name\"", false},
      {"not xml at all", false},
  };
  for (const auto& [bytes, pbf] : inputs) {
    const read_extract read = read_osm_bytes(bytes, pbf, "prova.osm");
    ASSERT_FALSE(read.data) << bytes.size();
    EXPECT_NE(read.error.find("il file prova.osm non si legge come estratto OpenStreetMap"), std::string::npos)
        << read.error;
  }
}

}  // namespace
}  // namespace scenario::tool::import
