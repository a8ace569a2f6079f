// scenario import end to end: small extracts written here as OSM XML, the
// bad inputs it must refuse without writing, and the real Monaco extract.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/definition_findings.h"
#include "tool/import/names.h"
#include "tool/tool_testing.h"

namespace scenario::tool {
namespace {

using testing::run_command;
using scenario::testing::temp_dir;

// An OSM XML extract put together node by node.
class osm_xml {
 public:
  int64_t node(double lat, double lon, const std::map<std::string, std::string>& tags = {}) {
    const int64_t id = next_++;
    text_ << "<node id=\"" << id << "\" lat=\"" << lat << "\" lon=\"" << lon << "\" version=\"1\">";
    for (const auto& [k, v] : tags) text_ << "<tag k=\"" << k << "\" v=\"" << v << "\"/>";
    text_ << "</node>\n";
    return id;
  }
  // Nodes every `step` degrees of longitude along a parallel.
  std::vector<int64_t> row(double lat, double lon_from, double lon_to, double step) {
    std::vector<int64_t> ids;
    for (double lon = lon_from; lon <= lon_to + step / 2; lon += step) ids.push_back(node(lat, lon));
    return ids;
  }
  void way(const std::vector<int64_t>& nodes, std::map<std::string, std::string> tags) {
    tags.emplace("railway", "rail");
    ways_ << "<way id=\"" << next_++ << "\" version=\"1\">";
    for (int64_t n : nodes) ways_ << "<nd ref=\"" << n << "\"/>";
    for (const auto& [k, v] : tags) ways_ << "<tag k=\"" << k << "\" v=\"" << v << "\"/>";
    ways_ << "</way>\n";
  }
  void write(const std::string& path) const {
    std::ofstream f(path);
    f << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<osm version=\"0.6\">\n" << text_.str() << ways_.str()
      << "</osm>\n";
  }

 private:
  int64_t next_ = 1;
  std::ostringstream text_;
  std::ostringstream ways_;
};

std::vector<int64_t> slice(const std::vector<int64_t>& v, size_t from, size_t to) {
  return {v.begin() + static_cast<ptrdiff_t>(from), v.begin() + static_cast<ptrdiff_t>(to) + 1};
}

// A double-track line about 4.7 km long due east along 45 N: track A
// (usage=main) with a named tunnel and two speeds, track B beside it (no
// usage) with crossovers to A; a station beside the start, a stop position
// on A, the end station with a name the code page cannot hold whole, a
// station too far from the track, kilometre posts, and an island of track
// no path reaches.
void write_line_extract(const std::string& path) {
  osm_xml x;
  const std::vector<int64_t> a = x.row(45.0, 9.0, 9.06, 0.002);   // 31 nodes
  const std::vector<int64_t> b = x.row(45.00005, 9.0, 9.06, 0.002);
  x.way(slice(a, 0, 10), {{"usage", "main"}, {"maxspeed", "100"}});
  x.way(slice(a, 10, 13), {{"usage", "main"}, {"maxspeed", "100"}, {"tunnel", "yes"}, {"name", "Galleria Prova"}});
  x.way(slice(a, 13, 30), {{"usage", "main"}, {"maxspeed", "120"}});
  x.way(b, {{"maxspeed", "100"}});
  x.way({a[5], b[6]}, {{"service", "crossover"}});
  x.way({b[16], a[17]}, {{"service", "crossover"}});
  x.node(44.99964, 9.0, {{"railway", "station"}, {"name", "\xC3\x80lfa"}});  // 40 m south of A
  x.node(45.0, 9.03, {{"public_transport", "stop_position"}, {"train", "yes"}, {"name", "Beta"}});
  x.node(45.0003, 9.06, {{"railway", "halt"}, {"name", "Gamma \xC5\x81\xC3\xB3" "d\xC5\xBA"}});  // Łódź
  x.node(45.003, 9.045, {{"railway", "station"}, {"name", "Delta"}});  // 330 m away
  x.node(44.9999, 9.0, {{"railway", "milestone"}, {"railway:position", "10.0"}});
  x.node(44.9999, 9.04, {{"railway", "milestone"}, {"railway:position", "13,1"}});
  const std::vector<int64_t> island = x.row(45.1, 9.0, 9.02, 0.002);
  x.way(island, {{"usage", "main"}});
  x.node(45.1, 9.02, {{"railway", "station"}, {"name", "Isola"}});
  x.write(path);
}

std::string read_bytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::vector<std::string> import_words(const std::string& extract, const std::string& from, const std::string& to,
                                      const std::string& out) {
  return {extract, "--from", from, "--to", to, "--route", "Prova", "--train", "1", "-o", out};
}

TEST(Import, LineFromExtractPassesCheckWithWhatTheMapSays) {
  temp_dir dir;
  write_line_extract(dir.file("linea.osm"));
  const std::string out = dir.file("out");
  const auto run = run_command(run_import, import_words(dir.file("linea.osm"), "alfa", "GAMMA LODZ", out));
  ASSERT_EQ(run.status, kExitClean) << run.err;
  const std::string line = read_bytes(out + "/Prova_linea.txt");
  const std::string train = read_bytes(out + "/Prova_1-.txt");
  const auto report = nlohmann::json::parse(read_bytes(out + "/Prova_import.json"));

  const definition_check check = check_definitions({line, train}, {"Prova", "1"});
  EXPECT_TRUE(check.faults.empty()) << line << train;
  EXPECT_EQ(check.reported.error_code, 0);

  // Kept to track A (main), through its crossovers' switches without taking them.
  EXPECT_EQ(report["way_changes"], 0);
  EXPECT_NEAR(report["track_length_m"].get<double>(), 0.06 * 78846, 60);
  ASSERT_EQ(report["tunnels"].size(), 1u);
  EXPECT_EQ(report["tunnels"][0]["name"], "Galleria Prova");
  EXPECT_NE(line.find("montagna,   1600,  2050,  11\r\n"), std::string::npos) << line;
  EXPECT_NE(line.find("(Galleria Prova)(473 m. )"), std::string::npos) << line;
  // Kilometre posts rising from 10.0 at the start.
  EXPECT_NE(line.find("progressiva chilometrica uno,    0,    10000,    0\r\n"), std::string::npos) << line;
  // Speeds where maxspeed changes, the train's limit and the boards.
  EXPECT_NE(train.find("velocita,       0,   100\r\n"), std::string::npos) << train;
  EXPECT_NE(train.find("velocita,    2050,   120\r\n"), std::string::npos) << train;
  EXPECT_NE(line.find("indicatori_vmax,  2050,  120,  120,  120"), std::string::npos) << line;

  // The stations in running order, names in Windows-1252, the one letter it
  // lacks written as its base letter and reported.
  ASSERT_EQ(report["stations"].size(), 3u);
  EXPECT_EQ(report["stations"][1]["name"], "Beta");
  EXPECT_EQ(report["stations"][1]["position_m"], 2350);
  EXPECT_NE(train.find(", \xC0lfa\r\n"), std::string::npos) << train;
  EXPECT_NE(train.find(", Gamma L\xF3" "dz\r\n"), std::string::npos) << train;
  EXPECT_EQ(report["transliterated"], nlohmann::json::array({"Gamma \xC5\x81\xC3\xB3" "d\xC5\xBA"}));
  // The station away from the track is told, not taken.
  EXPECT_NE(report["skipped"].dump().find("Delta"), std::string::npos) << report["skipped"];
  EXPECT_NE(run.err.find("Delta"), std::string::npos);
  EXPECT_EQ(report["track_in_plan"].size(), 31u);

  // Never over a file: a second import into the same folder is refused.
  const auto again = run_command(run_import, import_words(dir.file("linea.osm"), "alfa", "gamma lodz", out));
  EXPECT_EQ(again.status, kExitUsage);
  EXPECT_NE(again.err.find("esiste gia'"), std::string::npos);
  EXPECT_EQ(read_bytes(out + "/Prova_linea.txt"), line);
}

TEST(Import, PointsGivenAsLatLonStandForTheNearestTrack) {
  temp_dir dir;
  write_line_extract(dir.file("linea.osm"));
  const auto run = run_command(run_import, import_words(dir.file("linea.osm"), "45.0,9.004", "45.0001,9.05",
                                                         dir.file("out")));
  ASSERT_EQ(run.status, kExitClean) << run.err;
  const auto report = nlohmann::json::parse(read_bytes(dir.file("out/Prova_import.json")));
  EXPECT_NEAR(report["track_length_m"].get<double>(), 0.046 * 78846, 60);
}

TEST(Import, BadInputIsToldInItalianAndNothingIsWritten) {
  temp_dir dir;
  const std::string osm = dir.file("linea.osm");
  write_line_extract(osm);
  std::ofstream(dir.file("rotto.osm")) << "<osm><node id=\"1\"";
  std::ofstream(dir.file("testo.txt")) << "ciao\n";
  std::ofstream(dir.file("rotto.osm.pbf")) << "non e' un pbf";
  struct bad_case {
    std::vector<std::string> words;
    std::string told;  // what the message must name
  };
  const std::string out = dir.file("out");
  const std::vector<bad_case> cases = {
      {import_words(dir.file("testo.txt"), "alfa", "beta", out), "testo.txt"},
      {import_words(dir.file("rotto.osm"), "alfa", "beta", out), "rotto.osm"},
      {import_words(dir.file("rotto.osm.pbf"), "alfa", "beta", out), "rotto.osm.pbf"},
      {import_words(dir.file("manca.osm"), "alfa", "beta", out), "manca.osm"},
      {import_words(osm, "Zeta", "beta", out), "Beta"},  // the nearest names are offered
      {import_words(osm, "alfa", "isola", out), "nessun percorso ferroviario"},
      {import_words(osm, "alfa", "10.0,10.0", out), "10.0,10.0"},
      // A point no place on Earth is the command line's mistake, told before the extract is read.
      {import_words(dir.file("manca.osm"), "nan,9.0", "beta", out), "--from \"nan,9.0\": la latitudine"},
      {import_words(osm, "alfa", "45.0,inf", out), "--to \"45.0,inf\": la longitudine"},
      {import_words(osm, "91,9.0", "beta", out), "la latitudine deve essere un numero di gradi da -90 a 90"},
      {import_words(osm, "alfa", "45.0,1e300", out), "la longitudine"},
      {import_words(osm, "alfa", "45.0,1e999", out), "la longitudine"},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const auto run = run_command(run_import, cases[i].words);
    EXPECT_EQ(run.status, kExitUsage) << i << run.err;
    EXPECT_NE(run.err.find(cases[i].told), std::string::npos) << i << ": " << run.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << i;
  }
  // An elevation model that cannot be read.
  std::vector<std::string> words = import_words(osm, "alfa", "gamma lodz", out);
  words.insert(words.end(), {"--dem", dir.file("manca.tif")});
  const auto run = run_command(run_import, words);
  EXPECT_EQ(run.status, kExitUsage) << run.err;
  EXPECT_NE(run.err.find("manca.tif"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

// Metres east along 45 N as degrees of longitude, near enough for placing
// stops at whole multiples of 50 m.
double east(double metres) { return 9.0 + metres / 78800; }

// A single track due east along 45 N from 9.0 to `lon_to`, a node every
// 0.002 degrees (158 m), with a station at each end; `halts` at metres
// from the start.
std::vector<int64_t> straight_line(osm_xml& x, double lon_to, const std::vector<double>& halts) {
  const std::vector<int64_t> nodes = x.row(45.0, 9.0, lon_to, 0.002);
  x.node(45.0, 9.0, {{"railway", "station"}, {"name", "Alfa"}});
  x.node(45.0, lon_to, {{"railway", "station"}, {"name", "Omega"}});
  for (size_t i = 0; i < halts.size(); ++i) {
    x.node(45.0001, east(halts[i]), {{"railway", "halt"}, {"name", "Fermata " + std::to_string(i + 1)}});
  }
  return nodes;
}

nlohmann::json import_and_check(const std::string& extract, const std::string& out) {
  const auto run = run_command(run_import, import_words(extract, "alfa", "omega", out));
  EXPECT_EQ(run.status, kExitClean) << run.err;
  const std::string line = read_bytes(out + "/Prova_linea.txt");
  const std::string train = read_bytes(out + "/Prova_1-.txt");
  const definition_check check = check_definitions({line, train}, {"Prova", "1"});
  EXPECT_TRUE(check.faults.empty()) << line << train;
  return nlohmann::json::parse(read_bytes(out + "/Prova_import.json"));
}

// A stop's stretch ends 50 m past its length (its third setting): two
// halts 550 m apart leave 300 m between them, and the second is left out.
TEST(Import, StopsKeepTheGapTheDefinitionsNeed) {
  temp_dir dir;
  osm_xml x;
  x.way(straight_line(x, 9.06, {2000, 2550, 3250}), {{"usage", "main"}});
  // A crowd of halts just after the third: told one by one up to 20.
  for (int i = 0; i < 30; ++i) {
    x.node(45.0001, east(3300 + 10 * i), {{"railway", "halt"}, {"name", "Folla " + std::to_string(i)}});
  }
  x.write(dir.file("linea.osm"));
  const auto report = import_and_check(dir.file("linea.osm"), dir.file("out"));
  ASSERT_EQ(report["stations"].size(), 4u) << report["stations"];
  EXPECT_EQ(report["stations"][1]["position_m"], 2000);
  EXPECT_EQ(report["stations"][2]["position_m"], 3250);  // 600 m after the first stop's end
  const std::string skipped = report["skipped"].dump();
  EXPECT_NE(skipped.find("Fermata 2 a 2550 m: troppo vicina a Fermata 1"), std::string::npos) << skipped;
  EXPECT_NE(skipped.find("altre 11 fermate troppo vicine"), std::string::npos) << skipped;
  size_t told = 0;
  for (const auto& why : report["skipped"]) told += why.get<std::string>().find(": troppo vicina a ") != std::string::npos;
  EXPECT_EQ(told, 20u) << skipped;
}

// Stations and the tunnels' name boards share the table of texts: a line
// of 100 halts keeps 78 stations and no board, and tells what it left out.
TEST(Import, StationsAreCappedByTheTableOfTexts) {
  temp_dir dir;
  osm_xml x;
  std::vector<double> halts;
  for (int i = 0; i < 100; ++i) halts.push_back(1000 + 700.0 * i);
  const std::vector<int64_t> nodes = straight_line(x, 9.92, halts);
  x.way(slice(nodes, 0, 100), {{"usage", "main"}});
  x.way(slice(nodes, 100, 103), {{"usage", "main"}, {"tunnel", "yes"}, {"name", "Galleria Uno"}});
  x.way(slice(nodes, 103, 200), {{"usage", "main"}});
  x.way(slice(nodes, 200, 203), {{"usage", "main"}, {"tunnel", "yes"}, {"name", "Galleria Due"}});
  x.way(slice(nodes, 203, nodes.size() - 1), {{"usage", "main"}});
  x.write(dir.file("linea.osm"));
  const auto report = import_and_check(dir.file("linea.osm"), dir.file("out"));
  ASSERT_EQ(report["stations"].size(), 78u);
  EXPECT_EQ(report["stations"][76]["name"], "Fermata 76");
  EXPECT_EQ(report["stations"][77]["name"], "Omega");
  const std::string skipped = report["skipped"].dump();
  EXPECT_NE(skipped.find("24 fermate dopo Fermata 76 (da Fermata 77 a Fermata 100)"), std::string::npos) << skipped;
  EXPECT_NE(skipped.find("2 cartelli con il nome di una galleria"), std::string::npos) << skipped;
}

// Speeds from maxspeed: miles per hour converted, then the nearest
// multiple of 5 km/h (98 is 100, 97 is 95; 60 mph is 96.6 km/h).
TEST(Import, SpeedsAreConvertedAndRoundedToTheNearestStep) {
  temp_dir dir;
  osm_xml x;
  const std::vector<int64_t> nodes = straight_line(x, 9.08, {});
  const std::vector<std::string> speeds = {"98", "97", "50 mph", "60 mph"};
  for (size_t i = 0; i < speeds.size(); ++i) {
    x.way(slice(nodes, 10 * i, 10 * i + 10), {{"usage", "main"}, {"maxspeed", speeds[i]}});
  }
  x.write(dir.file("linea.osm"));
  import_and_check(dir.file("linea.osm"), dir.file("out"));
  std::istringstream train(read_bytes(dir.file("out/Prova_1-.txt")));
  std::vector<int> written;
  for (std::string line; std::getline(train, line);) {
    if (line.rfind("velocita,", 0) == 0) written.push_back(std::stoi(line.substr(line.rfind(',') + 1)));
  }
  EXPECT_EQ(written, (std::vector<int>{100, 95, 80, 95}));
}

// ele=* that is no altitude on Earth (not a number, infinite, far beyond
// any ground) is left out of the profile and told.
TEST(Import, AltitudesThatAreNotPlausibleAreIgnoredAndTold) {
  temp_dir dir;
  osm_xml x;
  const std::vector<std::string> ele = {"nan", "inf", "1e300", "-5000", "120", "-inf"};
  std::vector<int64_t> nodes;
  for (int i = 0; i <= 30; ++i) {
    const std::string e = i < static_cast<int>(ele.size()) ? ele[static_cast<size_t>(i)] : std::to_string(120 + i);
    nodes.push_back(x.node(45.0, 9.0 + 0.002 * i, {{"ele", e}}));
  }
  x.way(nodes, {{"usage", "main"}});
  x.node(45.0, 9.0, {{"railway", "station"}, {"name", "Alfa"}});
  x.node(45.0, 9.06, {{"railway", "station"}, {"name", "Omega"}});
  x.write(dir.file("linea.osm"));
  const auto report = import_and_check(dir.file("linea.osm"), dir.file("out"));
  const double start = report["gradients"]["start_altitude_m"].get<double>();
  EXPECT_GT(start, 100);
  EXPECT_LT(start, 130);
  EXPECT_FALSE(report["gradients"]["flat"].get<bool>());
  EXPECT_NE(report["skipped"].dump().find("5 tag ele non plausibili"), std::string::npos) << report["skipped"];
  const std::string line = read_bytes(dir.file("out/Prova_linea.txt"));
  EXPECT_NE(line.find("- altitudine iniziale Alfa 1"), std::string::npos) << line;
}

TEST(Import, NamesFoldAndTransliterate) {
  using import::fold_name;
  EXPECT_EQ(fold_name("Monaco - Monte-Carlo"), "monaco monte carlo");
  EXPECT_EQ(fold_name("  S\xC3\xA3o Jo\xC3\xA3o "), "sao joao");
  const auto n = import::to_ansi_name("Ko\xC5\x9B" "ciel, \"Ma\xC5\x82y\"");  // Kościel, "Mały"
  EXPECT_EQ(n.text, "Kosciel   Maly");
  EXPECT_TRUE(n.transliterated);
  EXPECT_FALSE(import::to_ansi_name("Caf\xC3\xA9").transliterated);
}

#ifdef SCENARIO_GEO_DIR
// The real extract: one track of the double-track main line across
// Monaco, from the tunnel's cut at the west border to the one at the east.
TEST(Import, MonacoMainLinePassesCheck) {
  temp_dir dir;
  const auto run = run_command(run_import, {std::string(SCENARIO_GEO_DIR) + "/monaco.osm.pbf", "--from",
                                            "43.7215,7.4017", "--to", "43.7543,7.4480", "--via", "Monaco",
                                            "--route", "Monaco", "--train", "1", "-o", dir.str()});
  ASSERT_EQ(run.status, kExitClean) << run.err;
  const std::string line = read_bytes(dir.file("Monaco_linea.txt"));
  const std::string train = read_bytes(dir.file("Monaco_1-.txt"));
  const definition_check check = check_definitions({line, train}, {"Monaco", "1"});
  EXPECT_TRUE(check.faults.empty()) << line << train;
  const auto report = nlohmann::json::parse(read_bytes(dir.file("Monaco_import.json")));
  EXPECT_GT(report["track_length_m"].get<double>(), 2000);
  EXPECT_EQ(report["way_changes"], 0);
  EXPECT_NE(train.find("Monaco - Monte Carlo"), std::string::npos) << train;
  EXPECT_NE(train.find("velocita,       0,    90"), std::string::npos) << train;
  EXPECT_GE(report["tunnels"].size(), 1u);
}
#endif

}  // namespace
}  // namespace scenario::tool
