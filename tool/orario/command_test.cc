// scenario orario on the built-in scenario: its table, a timetable made
// too tight, the figures in JSON, the diagrams, and a bad command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/tool_testing.h"

namespace scenario::tool {
namespace {

using scenario::testing::read_file;
using scenario::testing::temp_dir;
using scenario::testing::write_file;
using testing::run_command;
using testing::tool_run;

struct built_in_folder {
  built_in_folder() {
    dati_linea(dir.str(), {"Brenvalo_Morvena", "4815"});
    dati_treno(dir.str(), {"Brenvalo_Morvena", "4815"});
  }
  tool_run orario(std::vector<std::string> more = {}) const {
    std::vector<std::string> args = {dir.str(), "--route", "Brenvalo_Morvena", "--train", "4815"};
    args.insert(args.end(), more.begin(), more.end());
    return run_command(run_orario, args);
  }
  // The train definition with MOLINO DEL PALLONE's time changed.
  void molino_at(const std::string& fields) const {
    std::string train = read_file(dir.file("Brenvalo_Morvena_4815-.txt"));
    train.replace(train.find("60,   9,31, 0, MOLINO"), 21, fields);
    write_file(dir.file("Brenvalo_Morvena_4815-.txt"), train);
  }
  temp_dir dir;
};

TEST(ToolOrario, TheBuiltInTimetableCanBeKept) {
  const built_in_folder f;
  const tool_run run = f.orario();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("partenza da BRENVALO TERME alle 9.20+; massa frenata 120 %"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("PONTE DELLA VENTURINA   MOLINO DEL PALLONE      4,150    6 min 0 s"), std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("non rispettabile"), std::string::npos);
}

TEST(ToolOrario, ASectionScheduledTooShortIsFoundAndTheFiguresAreInTheJson) {
  const built_in_folder f;
  f.molino_at("60,   9,26, 0, MOLINO");  // one minute from Ponte della Venturina
  const tool_run table = f.orario();
  EXPECT_EQ(table.status, 1);
  EXPECT_NE(table.out.find("1 min 0 s"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("non rispettabile"), std::string::npos) << table.out;

  const tool_run json_run = f.orario({"--json", "--sosta", "45"});
  const nlohmann::json j = nlohmann::json::parse(json_run.out);
  EXPECT_EQ(j.at("sosta_s"), 45);
  const nlohmann::json& s = j.at("tratte").at(1);
  EXPECT_EQ(s.at("a"), "MOLINO DEL PALLONE");
  EXPECT_EQ(s.at("previsto_s"), 60);
  EXPECT_EQ(s.at("sosta_s"), 45);
  EXPECT_EQ(s.at("esito"), "non rispettabile");
  EXPECT_LT(s.at("margine_s").get<double>(), -200);
  EXPECT_EQ(s.at("riga"), 36);
  // A margin under the threshold is only tight.
  EXPECT_EQ(j.at("tratte").at(0).at("esito"), "ok");
  const tool_run strict = f.orario({"--json", "--margine", "30"});
  EXPECT_EQ(nlohmann::json::parse(strict.out).at("tratte").at(0).at("esito"), "margine basso");
}

TEST(ToolOrario, DrawsBothDiagramsAndRefusesWhatItCannotUse) {
  const built_in_folder f;
  const tool_run run = f.orario({"-o", f.dir.file("orario.svg")});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string svg = read_file(f.dir.file("orario.svg"));
  EXPECT_NE(svg.find("Velocit\xC3\xA0 lungo la linea"), std::string::npos);
  EXPECT_NE(svg.find("Tempo lungo la linea"), std::string::npos);
  EXPECT_NE(svg.find(">PRACCHIA<"), std::string::npos);
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"--sosta", "mezzo"}, {"--passo", "0"}, {"--potenza", "-3"}, {"-o", f.dir.file("Brenvalo_Morvena_linea.txt")}}) {
    EXPECT_EQ(f.orario(bad).status, 2) << bad[0];
  }
  EXPECT_EQ(read_file(f.dir.file("Brenvalo_Morvena_linea.txt")).substr(0, 10), "[generale]");
}

TEST(ToolOrario, WithoutStationsThereIsNothingToCompareAndNoDrawing) {
  temp_dir dir;
  write_file(dir.file("V_linea.txt"), "[generale]\r\nlunghezza percorso,    5000\r\n[fine]\r\n");
  write_file(dir.file("V_1-.txt"), "[generale]\r\nvelocita,    0,    70\r\n[fine]\r\n");
  const tool_run run = run_command(run_orario, {dir.str(), "--route", "V", "--train", "1", "-o", dir.file("x.svg")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "nessuna tratta fra due stazioni con un orario: niente da confrontare\n");
  EXPECT_NE(run.err.find("nessun diagramma scritto"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.svg")));
}

}  // namespace
}  // namespace scenario::tool
