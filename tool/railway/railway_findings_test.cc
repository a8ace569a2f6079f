// The railway checks as an author meets them in check: at the record
// concerned, with their figures, an impossible timetable as an error.
#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/railway/railway_findings.h"
#include "tool/tool_testing.h"

namespace scenario::tool {
namespace {

using scenario::testing::read_file;
using scenario::testing::temp_dir;
using scenario::testing::write_file;
using testing::run_command;
using testing::tool_run;

constexpr char kRoute[] = "Brenvalo_Morvena";

// The built-in definitions with one replacement in the line or the train
// definition, checked.
using edits = std::vector<std::pair<std::string, std::string>>;

tool_run check_with(const char* file, const edits& changes, bool json = false) {
  temp_dir dir;
  dati_linea(dir.str(), {kRoute, "4815"});
  dati_treno(dir.str(), {kRoute, "4815"});
  const std::string path = dir.file(file);
  std::string text = read_file(path);
  for (const auto& [old_text, new_text] : changes) {
    const size_t at = text.find(old_text);
    EXPECT_NE(at, std::string::npos) << old_text;
    if (at != std::string::npos) text.replace(at, old_text.size(), new_text);
  }
  write_file(path, text);
  std::vector<std::string> args = {dir.str(), "--route", kRoute, "--train", "4815"};
  if (json) args.push_back("--json");
  return run_command(run_check, args);
}

TEST(RailwayFindings, EachAtItsRecordWithItsFigures) {
  constexpr char kTrain[] = "Brenvalo_Morvena_4815-.txt";
  const std::pair<std::string, std::string> molino = {"60,   9,31, 0, MOLINO", "60,   9,26, 0, MOLINO"};
  struct finding_case {
    const char* what;
    edits changes;
    int status;
    std::string report;  // what check prints after the folder
  } cases[] = {
      {"a section scheduled far too short", {molino}, 1,
       "/Brenvalo_Morvena_4815-.txt:36:1: errore: orario non rispettabile: servono almeno 5 min 31 s da PONTE DELLA "
       "VENTURINA, ne sono previsti 1 min 0 s\n"
       "stazione,    7700, 22,  300,  0, 0, 1,  0,0,0,  4,1,1,   60,   9,26, 0, MOLINO DEL PALLONE\n^\n"},
      {"a section with little margin", {{"60,   9,31, 0, MOLINO", "60,   9,30,40, MOLINO"}}, 0,
       "/Brenvalo_Morvena_4815-.txt:36:1: avviso: orario con poco margine: da PONTE DELLA VENTURINA servono almeno "
       "5 min 31 s, ne sono previsti 5 min 40 s: margine 2,7 %, meno del 3 %\n"},
      {"a curve too sharp for its limit", {{"velocita,       0,    80", "velocita,       0,    90"}}, 0,
       "/Brenvalo_Morvena_linea.txt:17:1: avviso: curva troppo stretta per la velocita' ammessa: il raggio di 333 m "
       "ammette 85 km/h (sopraelevazione 160 mm, insufficienza 100 mm), il limite e' 90 km/h\ncurvad6,  3850 , 250 \n^\n"},
      {"a warning board too near for a faster train with weaker brakes",
       {{"velocita,       0,    80", "velocita,       0,   130"},
        {"percentuale massa frenata,    120", "percentuale massa frenata,    60"}},
       0,
       "/Brenvalo_Morvena_4815-.txt:48:1: avviso: cartello di avviso troppo vicino al rallentamento: il cartello sta "
       "1200 m prima del rallentamento, per frenare da 130 a 30 km/h con massa frenata 60 % "
       "(Brenvalo_Morvena_4815-.txt, riga 3) ne servono "},
      {"a descent the brakes cannot hold", {{"percentuale massa frenata,    120", "percentuale massa frenata,    15"}}, 1,
       "/Brenvalo_Morvena_linea.txt:111:1: errore: orario non rispettabile: con massa frenata 15 % "
       "(Brenvalo_Morvena_4815-.txt, riga 3) il treno non si ferma in discesa del 24 per mille (da 14950 m)"},
  };
  for (const finding_case& c : cases) {
    const tool_run run = check_with(kTrain, c.changes);
    EXPECT_EQ(run.status, c.status) << c.what << "\n" << run.out;
    EXPECT_NE(run.out.find(c.report), std::string::npos) << c.what << "\n" << run.out;
  }
  // The built-in timetable is kept, with room: nothing to say.
  const tool_run clean = check_with(kTrain, {});
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.out, "0 errori, 0 avvisi\n");
}

TEST(RailwayFindings, TheCurveCheckNamesRadiusSpeedAndLimit) {
  const tool_run run = check_with("Brenvalo_Morvena_4815-.txt", {{"velocita,       0,    80", "velocita,       0,    90"}});
  EXPECT_NE(run.out.find("avviso: curva troppo stretta per la velocita' ammessa: il raggio di 333 m ammette 85 km/h "
                         "(sopraelevazione 160 mm, insufficienza 100 mm), il limite e' 90 km/h"),
            std::string::npos)
      << run.out;
  EXPECT_NEAR(curve_speed(1000, 160, 100), 148.4, 0.1);
}

TEST(RailwayFindings, AnImpossibleTimetableIsAnErrorInTheJsonToo) {
  const tool_run run = check_with("Brenvalo_Morvena_4815-.txt", {{"60,   9,31, 0, MOLINO", "60,   9,26, 0, MOLINO"}}, true);
  const nlohmann::json j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j.at("errors"), 1);
  EXPECT_EQ(j.at("warnings"), 0);
  EXPECT_EQ(j.at("reported"), nullptr);  // compile itself finds nothing
  const nlohmann::json& f = j.at("findings").at(0);
  EXPECT_EQ(f.at("severity"), "errore");
  EXPECT_EQ(f.at("kind"), "timetable_impossible");
  EXPECT_EQ(f.at("line"), 36);
}

}  // namespace
}  // namespace scenario::tool
