#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <array>
#include <cstdio>
#include <sstream>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/coding.h"
#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/tool_testing.h"

namespace scenario::tool {
namespace {

using scenario::testing::read_file;
using scenario::testing::temp_dir;
using testing::run_command;
using testing::tool_run;
using scenario::testing::write_file;

tool_run dump(const std::vector<std::string>& args) { return run_command(run_dump, args); }

bool has_line(const std::string& text, const std::string& line) {
  return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

// The built-in scenario compiled by the tool into a directory of its own.
class DumpBuiltIn : public ::testing::Test {
 protected:
  void SetUp() override {
    const scenario_identity id{"Brenvalo_Morvena", "4815"};
    dati_linea(dir_.str(), id);
    dati_treno(dir_.str(), id);
    std::ostringstream out, err;
    ASSERT_EQ(run_compile({dir_.str(), "--route", id.route_name, "--train", id.train_number}, out, err), 0)
        << err.str();
  }
  std::string cells() const { return dir_.file("Brenvalo_Morvena_4815.dat"); }
  std::string items() const { return dir_.file("Brenvalo_Morvena_4815.sim"); }
  std::string plan() const { return dir_.file("Brenvalo_Morvena_linea.dat"); }

  temp_dir dir_;
};

TEST_F(DumpBuiltIn, CellsNameTheSignalInCell120AndCountTheKinds) {
  const tool_run run = dump({cells()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  // The signal at 5950 m: s1 3, d1 0; s2 1, d2 0; sx 1, dx 0.
  EXPECT_TRUE(has_line(run.out,
                       "  120     6000 m  segnale s1d1=30 s2d2=10 s3d3=0 rapp_aspetto=3 tempo=0 | velocita'=80km/h "
                       "pendenza=+25 aderenza=70"))
      << run.out;
  EXPECT_TRUE(has_line(run.out,
                       "    1       50 m  vuota marchio=5121 codice_og=2411 | velocita'=80km/h pendenza=0 aderenza=95"));
  // Cells 938 to 940 hold nothing at all and get no line.
  EXPECT_EQ(run.out.find("  938  "), std::string::npos);
  EXPECT_NE(run.out.find("\ntotale 941 celle: vuota 809, segnale 14, "), std::string::npos) << run.out;
}

TEST_F(DumpBuiltIn, ItemTableNamesStationsBoardsAndSettings) {
  const tool_run run = dump({items()});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line : {
           "voce 1, stazione: nome BRENVALO TERME, tipo 12, posizione 0, inizio tratto -200, fine tratto 200, orario "
           "6:48:00, S1 0, S2 0, S3 0, S4 1, S5 1, S6 0, S7 4, S8 1, S9 1, S10 1",
           "voce 80, cartello: testo (MADONNA)(261 m. )",
           "voce 81, progressiva: dal metro 0, valore 73450, indicatore 1",
           "voce 84, treno: percentuale massa frenata 120, lunghezza percorso 40000, vetture 3",
           "voce 86, treno e ripetizione: treno 4815, ripetizione dal metro 0, ripetizione al metro 0, codici 0, sabbia "
           "300, orologio 9:20:30",
       }) {
    EXPECT_TRUE(has_line(run.out, line)) << line;
  }
  EXPECT_NE(run.out.find("\nvoce 85, percorso: percorso Brenvalo_Morvena, sfondo uno 33600, sfondo due 27600, sfondo "
                         "tre 1, marchio 610, codice st "),
            std::string::npos);
  // Entries 13 to 37 and 82, 83 are empty and not shown.
  EXPECT_EQ(run.out.find("voce 13,"), std::string::npos);
  EXPECT_EQ(run.out.find("voce 82,"), std::string::npos);
}

TEST_F(DumpBuiltIn, PlanCountsElementsPerRunAndShowsPoints) {
  tool_run run = dump({plan()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(has_line(run.out, "x: 2 interi, 46997 Double, 2 vuoti"));
  EXPECT_TRUE(has_line(run.out, "y: 2 interi, 46997 Double, 2 vuoti"));
  EXPECT_EQ(run.out.find("metro  x  y"), std::string::npos);  // no points without --every

  run = dump({plan(), "--every", "20000"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\nmetro  x  y\n0  0  0\n20000  "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n40000  "), std::string::npos);
  EXPECT_EQ(run.out.find("\n45000  "), std::string::npos);

  run = dump({plan(), "--json"});
  const nlohmann::json counts = nlohmann::json::parse(run.out);
  for (const char* run_name : {"x", "y"}) {
    EXPECT_EQ(counts.at(run_name), (nlohmann::json{{"empty", 2}, {"integer", 2}, {"double", 46997}})) << run_name;
  }
}

TEST_F(DumpBuiltIn, CsvHasAHeaderAndOneRowPerCellOrMetre) {
  tool_run run = dump({cells(), "--csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
            "cell,position,kind,info1,info2,info3,info4,signal_time,approach_mark,tunnel_kind,speed_limit,gradient,"
            "adhesion,kind_name,speed_limit_kmh,gradient_per_mille");
  EXPECT_TRUE(has_line(run.out, "120,6000,1,30,10,0,3,0,0,0,16,125,70,segnale,80,25"));
  EXPECT_TRUE(has_line(run.out, "940,47000,0,0,0,0,0,0,0,0,0,0,0,vuota,0,-100"));  // every cell, empty ones too

  // The item table: one row per value, raw codes beside decoded ones.
  run = dump({items(), "--csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "entry,role,field,value");
  EXPECT_TRUE(has_line(run.out, "1,stazione,name,BRENVALO TERME"));
  EXPECT_TRUE(has_line(run.out, "1,stazione,time,6:48:00"));
  EXPECT_TRUE(has_line(run.out, "1,stazione,time_s,24480"));

  run = dump({plan(), "--csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, 20), "metre,x,y\n0,0,0\n1,0,");
  EXPECT_TRUE(has_line(run.out, "47000,,"));  // empty elements as blanks
}

TEST_F(DumpBuiltIn, JsonCarriesTheSameContent) {
  tool_run run = dump({items(), "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json items_json = nlohmann::json::parse(run.out);
  const nlohmann::json& first = items_json.at("entries").at(0);
  EXPECT_EQ(first.at("entry"), 1);
  EXPECT_EQ(first.at("role"), "stazione");
  EXPECT_EQ(first.at("name"), "BRENVALO TERME");
  EXPECT_EQ(first.at("start"), -200);
  EXPECT_EQ(first.at("time"), "6:48:00");
  EXPECT_EQ(first.at("time_s"), 24480);
  EXPECT_EQ(first.at("S4"), 1);

  run = dump({cells(), "--json"});
  const nlohmann::json cells_json = nlohmann::json::parse(run.out);
  const auto signal = std::find_if(cells_json.at("cells").begin(), cells_json.at("cells").end(),
                                   [](const nlohmann::json& c) { return c.at("cell") == 120; });
  ASSERT_NE(signal, cells_json.at("cells").end());
  EXPECT_EQ(signal->at("kind"), 1);
  EXPECT_EQ(signal->at("kind_name"), "segnale");
  EXPECT_EQ(signal->at("info1"), 30);
  EXPECT_EQ(signal->at("fields").at("s1d1"), 30);
  EXPECT_EQ(signal->at("speed_limit"), 16);  // raw beside decoded
  EXPECT_EQ(signal->at("speed_limit_kmh"), 80);
  EXPECT_EQ(signal->at("gradient_per_mille"), 25);
  EXPECT_EQ(cells_json.at("counts").at("vuota"), 809);
  EXPECT_EQ(cells_json.at("counts").at("segnale"), 14);
}

// What stands at a given kilometre: only the cells or points of a stretch.
TEST_F(DumpBuiltIn, StretchShowsOnlyItsCellsAndPoints) {
  tool_run run = dump({cells(), "--da", "5900", "--a", "6000"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\n  120     6000 m  segnale"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("\n  121 "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\ntotale 3 celle:"), std::string::npos) << run.out;

  run = dump({cells(), "--csv", "--da", "6000", "--a", "6000"});
  EXPECT_EQ(run.out.substr(run.out.find('\n') + 1), "120,6000,1,30,10,0,3,0,0,0,16,125,70,segnale,80,25\n");

  run = dump({plan(), "--csv", "--da", "20000", "--a", "20002"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 4) << run.out;
  EXPECT_EQ(run.out.substr(0, 16), "metre,x,y\n20000,");
}

TEST_F(DumpBuiltIn, TruncatedFilesGiveTheOffsetAndStatus2) {
  const struct {
    std::string name;
    size_t cut;
    size_t offset;
  } cases[] = {
      {"Brenvalo_Morvena_4815.dat", 5, 14100},     // cell 940 keeps 10 of its 15 bytes
      {"Brenvalo_Morvena_4815.sim", 3, 3964},      // entry 86's last number has 1 byte of 4
      {"Brenvalo_Morvena_linea.dat", 3, 939960},   // the last element keeps 1 byte of its type code
      {"Brenvalo_Morvena_linea.dat", 4, 469980},   // two whole elements gone: y begins out of step
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " less " + std::to_string(c.cut));
    const std::string whole = read_file(dir_.file(c.name));
    const std::string path = dir_.file("cut_" + c.name);
    write_file(path, whole.substr(0, whole.size() - c.cut));
    const tool_run run = dump({path});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    const std::string expected =
        "scenario dump: " + path + ": file troncato o non valido all'offset " + std::to_string(c.offset) + ": ";
    EXPECT_EQ(run.err.substr(0, expected.size()), expected);
  }
}

TEST(Dump, CommandLineMistakesAreUsageErrors) {
  temp_dir dir;
  write_file(dir.file("a.sim"), "");
  write_file(dir.file("a.dat"), std::string(15, '\0'));
  write_file(dir.file("a.txt"), "");
  const struct {
    std::vector<std::string> args;
    const char* words;
  } cases[] = {
      {{}, "serve un solo FILE"},
      {{dir.file("a.dat"), dir.file("a.sim")}, "serve un solo FILE"},
      {{dir.file("missing.dat")}, "impossibile leggere"},
      {{dir.str() + "/x.dat"}, "impossibile leggere"},
      {{dir.file("a.txt")}, "tipo di file sconosciuto"},
      {{dir.file("a.sim"), "--da", "100"}, "--da vale solo per le celle e per il tracciato"},
      {{dir.file("a.dat"), "--da", "100", "--a", "50"}, "--da deve venire prima di --a"},
      {{dir.file("a.dat"), "--a", "-5"}, "--a vuole un numero intero di metri da 0 in su"},
      {{dir.file("a.dat"), "--every", "100"}, "--every vale solo per il tracciato"},
      {{dir.file("a_linea.dat"), "--every", "0"}, "maggiore di zero"},
      {{dir.file("a_linea.dat"), "--every", "10m"}, "maggiore di zero"},
      {{dir.file("a.dat"), "--json", "--csv"}, "non vanno insieme"},
      {{dir.file("a.dat"), "--bogus"}, "opzione sconosciuta"},
      {{dir.file("a.sim")}, "file troncato o non valido all'offset 0: voce 0 incompleta"},
  };
  for (const auto& c : cases) {
    const tool_run run = dump(c.args);
    EXPECT_EQ(run.status, 2) << c.words;
    EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
  }
  const tool_run help = dump({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("uso: scenario dump FILE", 0), 0u);
}

// A route plan read from anywhere may hold any Double; the text shows each
// to the thousandth with every digit, the CSV exactly.
TEST(Dump, PlanPointsShowEveryDigitOfLargeDoubles) {
  temp_dir dir;
  std::string plan;
  for (const double x : {1e300, -2.0004, 1e-300}) {
    put_u16(&plan, 5);
    put_f64(&plan, x);
  }
  for (const double y : {-1e59, 0.5, 3.0}) {
    put_u16(&plan, 5);
    put_f64(&plan, y);
  }
  write_file(dir.file("big_linea.dat"), plan);
  tool_run run = dump({dir.file("big_linea.dat"), "--every", "1"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::array<char, 400> big{};
  std::snprintf(big.data(), big.size(), "%.3f", 1e300);
  EXPECT_EQ(std::string(big.data()).size(), 305u);
  EXPECT_TRUE(has_line(run.out, "0  " + std::string(big.data()) +
                                    "  -99999999999999997168788049560464200849936328366177157906432.000"))
      << run.out;
  EXPECT_TRUE(has_line(run.out, "1  -2.000  0.500")) << run.out;
  EXPECT_TRUE(has_line(run.out, "2  0.000  3.000")) << run.out;

  run = dump({dir.file("big_linea.dat"), "--csv"});
  EXPECT_TRUE(has_line(run.out, "0,1e+300,-1e+59")) << run.out;
}

TEST(Dump, KindComesFromTheNameWhateverItsCase) {
  temp_dir dir;
  write_file(dir.file("ROUTE_LINEA.DAT"), std::string("\x05\x00", 2));  // half a Double: a plan element
  const tool_run run = dump({dir.file("ROUTE_LINEA.DAT")});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("valore Double dell'elemento 0"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace scenario::tool
