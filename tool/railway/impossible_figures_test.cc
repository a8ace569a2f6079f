// Figures that do not exist, as an author meets them: brakes too weak for
// a descent, a limit or a slowdown of 0 km/h or less, a timetable past
// midnight, a time with 69 minutes. check and orario, as text and as
// JSON, say each in words at its record, never as a 64-bit number, an
// infinity, NaN or a negative time; orario's columns stay in place.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <set>
#include <sstream>
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

constexpr char kRoute[] = "Brenvalo_Morvena";
constexpr char kLine[] = "Brenvalo_Morvena_linea.txt";
constexpr char kTrain[] = "Brenvalo_Morvena_4815-.txt";

struct edit {
  const char* file;
  std::string from, to;
};

// The built-in definitions edited, and the four outputs of them.
struct outputs {
  tool_run check, check_json, orario, orario_json;
};

outputs run_all(const std::vector<edit>& edits) {
  temp_dir dir;
  dati_linea(dir.str(), {kRoute, "4815"});
  dati_treno(dir.str(), {kRoute, "4815"});
  for (const edit& e : edits) {
    std::string text = read_file(dir.file(e.file));
    const size_t at = text.find(e.from);
    EXPECT_NE(at, std::string::npos) << e.from;
    if (at != std::string::npos) text.replace(at, e.from.size(), e.to);
    write_file(dir.file(e.file), text);
  }
  const std::vector<std::string> args = {dir.str(), "--route", kRoute, "--train", "4815"};
  std::vector<std::string> json = args;
  json.push_back("--json");
  return {run_command(run_check, args), run_command(run_check, json), run_command(run_orario, args),
          run_command(run_orario, json)};
}

// What must never be read as a figure.
void no_impossible_figure(const std::string& text, const std::string& what) {
  static const std::regex impossible(
      "9223372036854775|infinit|\\bnan\\b|\\binf\\b|-\\d+ (h|min|s)\\b|-\\d+ m\\b|\\(-\\d+,\\d %\\)",
      std::regex::icase);
  EXPECT_FALSE(std::regex_search(text, impossible)) << what << "\n" << text;
}

// Each row of orario's table starts its columns where the header does.
void columns_in_place(const std::string& table, const std::string& what) {
  std::istringstream lines(table);
  std::string line, header;
  while (std::getline(lines, line) && line.rfind("da ", 0) != 0) {
  }
  header = line;
  ASSERT_FALSE(header.empty()) << what << "\n" << table;
  const size_t columns[] = {header.find(" a ") + 1, header.find("km"), header.find("previsto"), header.find("minimo"),
                            header.find("margine")};
  while (std::getline(lines, line) && !line.empty()) {
    for (size_t c : columns) {
      ASSERT_GT(line.size(), c) << what << "\n" << line;
      EXPECT_EQ(line[c - 1], ' ') << what << ", column " << c << "\n" << line;
      EXPECT_NE(line[c], ' ') << what << ", column " << c << "\n" << line;
    }
  }
}

TEST(RailwayImpossibleFigures, EachCaseInWordsAtItsRecordInCheckAndOrario) {
  const std::string braked = "(Brenvalo_Morvena_4815-.txt, riga 3)";
  struct figure_case {
    const char* what;
    std::vector<edit> edits;
    int status;                  // of check and orario alike
    std::string check_finding;   // in check's text, from the file name on
    std::string orario_words;    // in orario's table
    size_t not_computable;       // sections of orario without figures
  } cases[] = {
      {"brakes of 12 % on the descents",
       {{kTrain, "percentuale massa frenata,    120", "percentuale massa frenata,    12"}},
       1,
       std::string(kLine) + ":111:1: errore: orario non rispettabile: con massa frenata 12 % " + braked +
           " il treno non si ferma in discesa del 24 per mille (da 14950 m), e cosi' su 11 altre pendenze piu' avanti: "
           "nessuna tratta oltre si puo' calcolare",
       "non calcolabile: il treno non passa oltre 14950 m", 3},
      {"brakes of 100 % on a descent of 100 per mille",
       {{kTrain, "percentuale massa frenata,    120", "percentuale massa frenata,    100"},
        {kLine, "pendenza,  17900,  -26", "pendenza,  17900,  -100"}},
       1,
       std::string(kLine) + ":112:1: errore: orario non rispettabile: con massa frenata 100 % " + braked +
           " il treno non si ferma in discesa del 100 per mille (da 17900 m)",
       "non calcolabile: il treno non passa oltre 17900 m", 2},
      {"a speed limit of 0 km/h",
       {{kTrain, "velocita,       0,    80", "velocita,       0,    0"}},
       1,
       std::string(kTrain) + ":32:1: errore: orario non rispettabile: con un limite di 0 km/h da 0 m il treno non "
                             "puo' muoversi",
       "non calcolabile: il treno non passa oltre 0 m", 6},
      {"a slowdown of 0 km/h",
       {{kTrain, "rallentamento,    4850,    30,", "rallentamento,    4850,    0,"}},
       1,
       std::string(kTrain) + ":47:1: errore: orario non rispettabile: un rallentamento a 0 km/h da 4850 m ferma il treno",
       "non calcolabile: il treno non passa oltre 4850 m", 5},
      {"a slowdown of -5 km/h",
       {{kTrain, "rallentamento,    4850,    30,", "rallentamento,    4850,    -5,"}},
       1,
       std::string(kTrain) + ":47:1: errore: orario non rispettabile: un rallentamento a -5 km/h da 4850 m ferma il treno",
       "non calcolabile: il treno non passa oltre 4850 m", 5},
      {"a timetable past midnight",
       {{kTrain, "orologio,    9 ", "orologio,    23"},
        {kTrain, "1,   6,48, 0, BRENVALO", "1,  23,30, 0, BRENVALO"},
        {kTrain, "30,   9,25, 0, PONTE", "30,  23,50, 0, PONTE"},
        {kTrain, "60,   9,31, 0, MOLINO", "60,   0,10, 0, MOLINO"},
        {kTrain, "60,   9,47, 0, PRACCHIA", "60,   0,26, 0, PRACCHIA"},
        {kTrain, "30,   9,51, 0, S.MOMM", "30,   0,30, 0, S.MOMM"},
        {kTrain, "60,   9,57, 0, CORBEZZI", "60,   0,36, 0, CORBEZZI"},
        {kTrain, "0,  10,13, 0, MORVENA", "0,   0,52, 0, MORVENA"}},
       0,
       "",
       "PONTE DELLA VENTURINA   MOLINO DEL PALLONE      4,150    20 min 0 s", 0},
      {"a station time with 69 minutes",
       {{kTrain, "60,   9,31, 0, MOLINO", "60,   9,69, 0, MOLINO"}},
       1,
       std::string(kTrain) + ":36:64: errore: orario non rispettabile: l'orario 9.69.00 di MOLINO DEL PALLONE non e' "
                             "un'ora del giorno (ore da 0 a 23, minuti e secondi da 0 a 59): le tratte da e per questa "
                             "stazione non si calcolano",
       "non calcolabile: l'orario di MOLINO DEL PALLONE (9.69.00) non e' un'ora del giorno", 2},
  };
  for (const figure_case& c : cases) {
    const outputs o = run_all(c.edits);
    EXPECT_EQ(o.check.status, c.status) << c.what << "\n" << o.check.out;
    EXPECT_EQ(o.orario.status, c.status) << c.what << "\n" << o.orario.out;
    if (!c.check_finding.empty()) {
      EXPECT_NE(o.check.out.find(c.check_finding), std::string::npos) << c.what << "\n" << o.check.out;
    }
    EXPECT_EQ(o.check.out.find("orario non rispettabile: da "), std::string::npos) << c.what << "\n" << o.check.out;
    EXPECT_NE(o.orario.out.find(c.orario_words), std::string::npos) << c.what << "\n" << o.orario.out;
    for (const tool_run* run : {&o.check, &o.check_json, &o.orario, &o.orario_json}) no_impossible_figure(run->out, c.what);
    columns_in_place(o.orario.out, c.what);

    // check's JSON: the same words, the impossible as an error.
    const nlohmann::json check = nlohmann::json::parse(o.check_json.out);
    EXPECT_EQ(check.at("errors").get<int>() > 0, c.status == 1) << c.what;
    // orario's JSON: every section with the same members; a figure that
    // does not exist is null, with the reason beside it.
    const nlohmann::json orario = nlohmann::json::parse(o.orario_json.out);
    std::set<std::string> members;
    for (const auto& [key, value] : orario.at("tratte").at(0).items()) members.insert(key);
    EXPECT_TRUE(members.count("motivo")) << c.what;
    size_t gaps = 0;
    for (const nlohmann::json& s : orario.at("tratte")) {
      std::set<std::string> these;
      for (const auto& [key, value] : s.items()) these.insert(key);
      EXPECT_EQ(these, members) << c.what;
      if (s.at("esito") == "non calcolabile") {
        ++gaps;
        EXPECT_TRUE(s.at("motivo").is_string()) << c.what;
        for (const char* figure : {"corsa_s", "minimo_s", "margine_s", "margine_percento"}) {
          EXPECT_TRUE(s.at(figure).is_null()) << c.what << " " << figure;
        }
      } else {
        EXPECT_TRUE(s.at("motivo").is_null()) << c.what;
        EXPECT_GE(s.at("previsto_s").get<double>(), 0) << c.what;
        EXPECT_GE(s.at("minimo_s").get<double>(), 0) << c.what;
      }
    }
    EXPECT_EQ(gaps, c.not_computable) << c.what << "\n" << o.orario.out;
  }
}

// One figure, one rounding: the least time check tells is the one orario
// tells, rounded up to the whole second, and the margin follows from it.
TEST(RailwayImpossibleFigures, CheckAndOrarioTellTheSameLeastTime) {
  const outputs o = run_all({{kTrain, "60,   9,31, 0, MOLINO", "60,   9,26, 0, MOLINO"}});
  const std::regex least("servono almeno ([0-9a-z ]+ s) da PONTE DELLA VENTURINA");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(o.check.out, m, least)) << o.check.out;
  EXPECT_TRUE(std::regex_search(o.orario.out, std::regex("4,150 +1 min 0 s +" + m[1].str() + " +mancano ")))
      << m[1] << "\n" << o.orario.out;
  const nlohmann::json s = nlohmann::json::parse(o.orario_json.out).at("tratte").at(1);
  EXPECT_EQ(s.at("minimo_s").get<double>(), std::ceil(s.at("minimo_s").get<double>()));
  EXPECT_EQ(s.at("margine_s").get<double>(), 60 - s.at("minimo_s").get<double>());
}

}  // namespace
}  // namespace scenario::tool
