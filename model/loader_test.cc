#include "model/loader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/compile.h"
#include "model/plan_generator.h"
#include "model/test_files.h"

namespace scenario {
namespace {

using testing::temp_dir;
using testing::write_file;


std::string line_definition(const std::string& records, const std::string& general = "lunghezza percorso, 10000\r\n") {
  return "[generale]\r\n" + general + "[curve]\r\n" + records + "[fine]\r\n";
}

std::string train_definition(const std::string& records) { return "[generale]\r\n" + records + "[fine]\r\n"; }

// A train of one record that places nothing, for the tests of the line:
// a train definition of no record at all is a fault of its own.
const std::string kBareTrain = train_definition("sabbia, 300\r\n");

std::optional<std::string> text_or_missing(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return text;
}

// Loads one pair of definitions; an empty text stands for a missing file.
struct load_run {
  scenario_model model;
  fault_state fault;

  load_run(const std::string& line, const std::string& train, int32_t line_mode = 0) {
    model.identity = {"R", "1"};
    model.line_mode = line_mode;
    fault = memorizza_dati(model, definition_texts{text_or_missing(line), text_or_missing(train)});
  }
  int32_t code() const { return fault.error_code; }
  int32_t position() const { return fault.error_position; }
  const route_cell& cell(int i) const { return model.route_cells.at(i); }
  const item_entry& item(int i) const { return model.item_table.at(i); }
};

TEST(LineLoader, FaultsStopLoading) {
  const std::string train = train_definition("sabbia, 300\r\n");
  const struct {
    const char* name;
    std::string line;
    int32_t line_mode;
    int32_t code;
  } cases[] = {
      {"no line definition", "", 0, 101},
      {"no [generale]", "lunghezza percorso, 10000\r\n[fine]\r\n", 0, 102},
      {"[generale] as the last field", "[generale]\r\n", 0, 102},
      {"route length above the limit", line_definition("", "lunghezza percorso, 1000001\r\n"), 0, 1},
      {"repetition start", line_definition("", "lunghezza percorso, 10000\r\nripetizione segnali 4, 25, 0\r\n"), 0,
       3},
      {"repetition end", line_definition("", "lunghezza percorso, 10000\r\nripetizione segnali 4, 0, 75\r\n"), 0, 4},
      {"repetition codes", line_definition("", "lunghezza percorso, 10000\r\nripetizione segnali, 0, 50\r\n"), 0, 5},
      {"curve without digit", line_definition("curvas, 200, 100\r\n"), 1, 103},
      {"curve past the plan", line_definition("curvas5, 9000, 8000\r\n"), 1, 103},
      {"two boards on one cell", line_definition("cartello_indicatore, 550, A\r\ncartello_indicatore, 560, B\r\n"), 0,
       6},
      {"number that is not one", line_definition("pendenza, 1x0, 5\r\n"), 0, 25},
      {"no route length", line_definition("pendenza, 100, 5\r\n", "sfondo uno, 1\r\n"), 0, 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    load_run run(c.line, train, c.line_mode);
    EXPECT_EQ(run.code(), c.code);
    EXPECT_EQ(run.item(kRepeatItem).num1, 0);  // the train definition is not read
  }
}

TEST(LineLoader, RouteLengthSizesCellsAndPlan) {
  load_run at_limit(line_definition("", "lunghezza percorso, 1000000\r\n"), kBareTrain);
  EXPECT_EQ(at_limit.code(), 0);
  EXPECT_EQ(at_limit.model.last_cell, 20140);

  load_run odd(line_definition("", "lunghezza percorso, 10025\r\n"), kBareTrain, 1);
  EXPECT_EQ(odd.model.extended_length, 17025);
  EXPECT_EQ(odd.model.last_cell, 340);  // 340.5 rounds to even
  EXPECT_EQ(odd.model.route_cells.size(), 341u);
  EXPECT_EQ(odd.model.plan.last_point(), 17025);
  EXPECT_EQ(odd.model.plan.computed_end, 17024);  // last two points stay empty
}

TEST(LineLoader, RangeFaultStillReadsTheTrainDefinition) {
  load_run run(line_definition("pendenza, 16950, 5\r\npendenza, 17000, 7\r\n"), train_definition("sabbia, 300\r\n"));
  EXPECT_EQ(run.code(), 15);
  EXPECT_EQ(run.position(), 16950);  // (16950 + 100) / 50 = 341 > 340
  EXPECT_EQ(run.item(kRepeatItem).num1, 300);
}

TEST(LineLoader, GradientsFillCellsUpToTheLastThree) {
  load_run run(line_definition("pendenza, 0, 0\r\npendenza, 250, 18\r\npendenza, 600, -24\r\n"),
               kBareTrain);
  ASSERT_EQ(run.code(), 0);
  const int last = run.model.last_cell;
  EXPECT_EQ(run.cell(0).gradient, 100);
  EXPECT_EQ(run.cell(4).gradient, 100);
  EXPECT_EQ(run.cell(5).gradient, 118);
  EXPECT_EQ(run.cell(11).gradient, 118);
  EXPECT_EQ(run.cell(12).gradient, 76);
  EXPECT_EQ(run.cell(last - 3).gradient, 76);
  for (int i = last - 2; i <= last; ++i) EXPECT_EQ(run.cell(i).gradient, 0);
}

// The key of a signal repetition names its codes: a "4" wins over a "9";
// a repetition that ends at 0 stores no codes.
TEST(LineLoader, SignalRepetitionStoresTheCodesItsKeyNames) {
  struct row {
    const char* record;
    int32_t codes;
  } const rows[] = {
      {"ripetizione segnali 4 codici, 0, 5000", 4},
      {"ripetizione segnali 9 codici, 0, 5000", 9},
      {"ripetizione segnali 94, 0, 5000", 4},
      {"ripetizione segnali 9 codici, 0, 0", 0},
  };
  for (const row& r : rows) {
    load_run run(line_definition("", "lunghezza percorso, 10000\r\n" + std::string(r.record) + "\r\n"), kBareTrain);
    ASSERT_EQ(run.code(), 0) << r.record;
    EXPECT_EQ(run.item(kRepeatItem).position, r.codes) << r.record;
  }
}

// Gradient, speed limit and adhesion hold from their record to the next
// and are filled by one rule: a record at the farthest position the route
// accepts sets the cell three before the end, the last two stay 0, for
// all three alike.
TEST(Loaders, ValuesThatHoldToTheNextRecordEndAtTheSameCell) {
  const std::string length = "lunghezza percorso, 10000\r\n";
  load_run probe(line_definition("", length), kBareTrain);
  const int last = probe.model.last_cell;
  const std::string far = std::to_string(last * 50 - 100);
  load_run run(line_definition("pendenza, 0, 5\r\npendenza, " + far + ", 7\r\n", length),
               train_definition("velocita, 0, 80\r\nvelocita, " + far + ", 100\r\naderenza, 0, 90\r\naderenza, " +
                                far + ", 80\r\n"));
  ASSERT_EQ(run.code(), 0);
  struct column {
    const char* what;
    int (*of)(const route_cell&);
    int before, at_record;
  } const columns[] = {
      {"pendenza", [](const route_cell& c) { return int{c.gradient}; }, 105, 107},
      {"velocita", [](const route_cell& c) { return int{c.speed_limit}; }, 16, 20},
      {"aderenza", [](const route_cell& c) { return int{c.adhesion}; }, 90, 80},
  };
  for (const column& c : columns) {
    EXPECT_EQ(c.of(run.cell(last - 3)), c.before) << c.what;
    EXPECT_EQ(c.of(run.cell(last - 2)), c.at_record) << c.what;
    EXPECT_EQ(c.of(run.cell(last - 1)), 0) << c.what;
    EXPECT_EQ(c.of(run.cell(last)), 0) << c.what;
  }
}

TEST(LineLoader, KeysAreSubstringsAndCaseDependsOnTheSection) {
  load_run run(line_definition("PENDENZA, 0, 0\r\nPendenza, 500, 3\r\n- commento\r\n- altro\r\npendenza, 1000, 4\r\n",
                               "lunghezza PERCORSO, 10000\r\nProgressiva chilometrica Uno, 0, 73350, 1\r\n"
                               "progressiva chilometrica tre, 0, 5000, 0\r\nsfondo due, 27600\r\n"),
               kBareTrain);
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.model.last_cell, 340);
  EXPECT_EQ(run.item(kProgressionTre).end, 5000);  // only "tre" is read; then ordered first
  EXPECT_EQ(run.item(kProgressionUno).end, 0);
  EXPECT_EQ(run.item(kRouteItem).position, 27600);
  EXPECT_EQ(run.cell(10).gradient, 103);
  EXPECT_EQ(run.cell(20).gradient, 104);
}

TEST(LineLoader, CurvesTurnThePlan) {
  load_run run(line_definition("curvad5, 2950, 500\r\ncurvaS3, 4000, 10\r\n"), kBareTrain, 1);
  ASSERT_EQ(run.code(), 0);
  const plan_points& p = run.model.plan;
  EXPECT_EQ(p.type(0), plan_element::integer);
  EXPECT_EQ(p.type(1), plan_element::integer);
  EXPECT_EQ(p.type(2), plan_element::real);
  // Only what defines the points is kept: straight, right, straight, left,
  // straight to the end.
  ASSERT_EQ(p.stretches.size(), 5u);
  EXPECT_EQ(p.stretches[0].end, 2951);
  EXPECT_EQ(p.stretches[1].end, 3451);
  EXPECT_EQ(p.stretches[1].curvature, 0.002);
  EXPECT_EQ(p.stretches[3].curvature, -0.0004);
  const std::vector<plan_xy> pt = sample_plan(p, p.computed_end - 1, 1);
  ASSERT_EQ(pt.size(), static_cast<size_t>(p.computed_end));
  EXPECT_DOUBLE_EQ(pt[2950].x, 0.0);
  EXPECT_DOUBLE_EQ(pt[2950].y, 2950.0);
  // First turning step: d = (0, 1), x += 0.002, y += 1.
  EXPECT_DOUBLE_EQ(pt[2951].x, 0.002);
  EXPECT_DOUBLE_EQ(pt[2951].y, 2951.0);
  EXPECT_GT(pt[3450].x, 200.0);  // turned to the right, towards +x
  // "S" in capitals is still a left-hand curve: the heading turns back.
  const double before = (pt[4000].x - pt[3999].x);
  const double after = (pt[4010].x - pt[4009].x);
  EXPECT_LT(after, before);
  EXPECT_EQ(p.type(p.last_point() - 1), plan_element::empty);
  EXPECT_EQ(p.type(p.last_point() - 2), plan_element::real);

  load_run no_plan(line_definition("curvad5, 2950, 500\r\n"), kBareTrain, 0);
  EXPECT_EQ(no_plan.code(), 0);
  EXPECT_FALSE(no_plan.model.plan.sized);
}

TEST(LineLoader, NameBoardsTakeItemsFromEightyDown) {
  load_run run(line_definition("cartello_indicatore, 550, (MADONNA)(261 m. )\r\ncartello_indicatore, 3350, B\r\n"),
               kBareTrain);
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(12).kind, kIndicatorBoard);
  EXPECT_EQ(run.cell(12).info1, 80);
  EXPECT_EQ(run.item(80).text, "(MADONNA)(261 m. )");
  EXPECT_EQ(run.item(79).text, "B");
}

TEST(LineLoader, MoreThanEightyBoardsAreRefused) {
  std::string boards;
  for (int i = 0; i < 81; ++i) boards += "cartello_indicatore, " + std::to_string(100 + 100 * i) + ", T\r\n";
  load_run run(line_definition(boards), kBareTrain);
  EXPECT_EQ(run.code(), 10);
  EXPECT_EQ(run.item(1).text, "T");
  EXPECT_EQ(run.item(0).text, "");
}

TEST(LineLoader, NegativePositionsAreOutsideTheRoute) {
  load_run run(line_definition("montagna, -100, 200, 11\r\n"), kBareTrain);
  EXPECT_EQ(run.code(), 15);
  EXPECT_EQ(run.position(), -100);
}

std::string station(int position, int kind, int length, int s3, const std::string& name, int h = 0, int m = 0,
                    int sec = 0) {
  return "stazione, " + std::to_string(position) + ", " + std::to_string(kind) + ", " + std::to_string(length) +
         ", 0, 0, " + std::to_string(s3) + ", 0,0,0, 0,0,0, 0, " + std::to_string(h) + ", " + std::to_string(m) +
         ", " + std::to_string(sec) + ", " + name + "\r\n";
}

TEST(TrainLoader, StationsGetStretchStopCellAndApproachMarks) {
  load_run run(line_definition(""),
               train_definition(station(0, 12, 400, 0, "BRENVALO TERME", 6, 48, 0) + station(3550, 28, 200, 0, "P") +
                                station(7700, 22, 300, 1, "MOLINO") + station(9650, 27, 200, 0, "B")));
  ASSERT_EQ(run.code(), 0);
  const item_entry& first = run.item(1);
  EXPECT_EQ(first.start, -200);
  EXPECT_EQ(first.end, 200);
  EXPECT_EQ(first.time_s, 24480);
  EXPECT_EQ(first.text, "BRENVALO TERME");
  EXPECT_EQ(run.cell(3).kind, kStopCell);
  EXPECT_EQ(run.cell(3).info1, 1);
  EXPECT_EQ(run.cell(2).approach_mark, 81);
  EXPECT_EQ(run.cell(1).approach_mark, 0);

  EXPECT_EQ(run.item(3).start, 7550);
  EXPECT_EQ(run.item(3).end, 7900);
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(run.cell(157 - j).approach_mark, 80 + j);
  EXPECT_EQ(run.cell(157).kind, kStopCell);
  EXPECT_EQ(run.cell(157).info1, 3);

  // Kinds 27 and 28 have a stretch but no stop cell and no marks.
  EXPECT_EQ(run.item(2).start, 3450);
  EXPECT_EQ(run.item(2).end, 3650);
  EXPECT_EQ(run.item(4).end, 9750);
  for (int i = 60; i <= 200; ++i) {
    if (i != 157) {
      EXPECT_NE(run.cell(i).kind, kStopCell) << i;
    }
  }
}

TEST(TrainLoader, StationFaults) {
  const struct {
    const char* name;
    std::string stations;
    int32_t code;
    int32_t position;
  } cases[] = {
      {"position not a multiple of 50", station(0, 12, 400, 0, "A") + station(749, 12, 400, 0, "B"), 8, 749},
      {"length not a multiple of 100", station(0, 12, 400, 0, "A") + station(800, 12, 450, 0, "B"), 9, 800},
      {"300 m after the previous end", station(0, 12, 400, 0, "A") + station(700, 12, 400, 0, "B"), 22, 700},
      {"stop cell at cell 1", station(0, 12, 200, 0, "A"), 24, -1},
      {"beyond the route", station(16250, 12, 200, 0, "A"), 15, 16250},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    load_run run(line_definition(""), train_definition(c.stations));
    EXPECT_EQ(run.code(), c.code);
    if (c.position >= 0) {
      EXPECT_EQ(run.position(), c.position);
    }
  }
  load_run accepted(line_definition(""), train_definition(station(0, 12, 400, 0, "A") + station(750, 12, 400, 0, "B")));
  EXPECT_EQ(accepted.code(), 0);  // 550 - 350 = 200: exactly 350 m after the end
}

TEST(TrainLoader, StationsStopBelowTheBoardTexts) {
  std::string boards;
  for (int i = 0; i < 43; ++i) boards += "cartello_indicatore, " + std::to_string(100 + 100 * i) + ", T\r\n";
  std::string stations;
  for (int i = 0; i < 40; ++i) stations += station(400 + 1000 * i, 27, 200, 0, "S" + std::to_string(i + 1));
  std::string line = line_definition(boards, "lunghezza percorso, 50000\r\n");
  load_run run(line, train_definition(stations));
  EXPECT_EQ(run.code(), 10);
  EXPECT_EQ(run.item(36).text, "S36");  // stored, then refused
  EXPECT_EQ(run.item(37).text, "");
  EXPECT_EQ(run.item(38).text, "T");
}

// With 79 name boards the board counter ends at 1: entry 1 is still free,
// so the first station is stored there before the table is full; with 80
// entry 1 holds a board text and the station is refused before storing.
TEST(TrainLoader, StationThatFitsIsStored) {
  for (int boards : {79, 80}) {
    SCOPED_TRACE(boards);
    std::string records;
    for (int i = 0; i < boards; ++i) records += "cartello_indicatore, " + std::to_string(100 + 100 * i) + ", T\r\n";
    load_run run(line_definition(records), train_definition(station(0, 27, 200, 0, "S1") + station(1000, 27, 200, 0, "S2")));
    EXPECT_EQ(run.code(), 10);
    EXPECT_EQ(run.item(1).text, boards == 79 ? "S1" : "T");
    EXPECT_EQ(run.item(2).text, "T");
  }
}

// A value whose stored form does not fit the cell byte or word that keeps
// it is refused with 25 at its own field, never wrapped.
TEST(Loaders, ValuesThatDoNotFitTheirFieldAreRefusedAtTheField) {
  const struct {
    const char* name;
    std::string line_records;
    std::string train_records;
    int32_t code;
    int line;  // of the field at fault, in its definition
    int column;
  } cases[] = {
      {"gradient -150", "pendenza, 100, -150\r\n", "", 25, 4, 16},
      {"gradient 200", "pendenza, 100, 200\r\n", "", 25, 4, 16},
      {"gradient -100 and 155 fit", "pendenza, 0, -100\r\npendenza, 100, 155\r\n", "sabbia, 300\r\n", 0, 0, 0},
      {"adhesion 300", "", "aderenza, 0, 300\r\n", 25, 2, 14},
      {"adhesion -1", "", "aderenza, 0, -1\r\n", 25, 2, 14},
      {"speed 1280 km/h", "", "velocita, 0, 1280\r\n", 25, 2, 14},
      {"speed 1277 km/h fits", "", "velocita, 0, 1277\r\n", 0, 0, 0},
      {"slowdown speed", "", "rallentamento, 4850, 40000, 900, 0, 0, 0\r\n", 25, 2, 22},
      {"signal s1 x 10 + d1", "", "segnale, 750, 1, 4000, 1, 0, 0, 0, 0, 0, 0, 0\r\n", 25, 2, 18},
      {"signal time for sx 2", "", "segnale, 750, 2, 3, 1, 0, 0, 0, 0, 0, 0, 256\r\n", 25, 2, 42},
      {"tunnel type", "montagna, 600, 850, 300\r\n", "", 25, 4, 21},
      {"speed board stripes", "indicatori_v, 2000, 75, 80, 80, 4000, 0, 0, 0, 2\r\n", "", 25, 4, 33},
      {"clock hours", "", "orologio, 40000, 0, 0\r\n", 25, 2, 11},
      {"station setting S1", "", station(0, 12, 400, 0, "A").replace(22, 1, "256"), 25, 2, 23},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    load_run run(line_definition(c.line_records), train_definition(c.train_records));
    EXPECT_EQ(run.code(), c.code) << run.fault.detail;
    EXPECT_EQ(run.fault.site.line, c.line);
    EXPECT_EQ(run.fault.site.column, c.column);
  }
}

TEST(LineLoader, LongestRouteWithAPlan) {
  load_run longest(line_definition("", "lunghezza percorso, 993001\r\n"), kBareTrain, 1);
  EXPECT_EQ(longest.code(), 0);
  EXPECT_EQ(longest.model.plan.computed_end, 999999 + 1);  // the last point a plan may hold

  load_run too_long(line_definition("", "lunghezza percorso, 993002\r\n"), kBareTrain, 1);
  EXPECT_EQ(too_long.code(), 103);
  EXPECT_EQ(too_long.fault.site.line, 2);  // the route length record
  EXPECT_NE(too_long.fault.detail.find("993001 m"), std::string::npos);
  EXPECT_TRUE(too_long.model.route_cells.empty());  // refused before sizing anything

  load_run no_plan(line_definition("", "lunghezza percorso, 1000000\r\n"), kBareTrain, 0);
  EXPECT_EQ(no_plan.code(), 0);
}

TEST(TrainLoader, SpeedAdhesionCodePointsAndProgressions) {
  load_run run(line_definition(""), train_definition("aderenza, 0, 95\r\naderenza, 3550, 85\r\nvelocita, 0, 80\r\n"
                                                     "abbattimento, 1000, 0\r\nabbattimento, 2000, 75\r\n"));
  ASSERT_EQ(run.code(), 0);
  const int last = run.model.last_cell;
  EXPECT_EQ(run.cell(70).adhesion, 95);
  EXPECT_EQ(run.cell(71).adhesion, 85);
  for (int i = 0; i <= last - 3; ++i) ASSERT_EQ(run.cell(i).speed_limit, 16) << i;
  for (int i = last - 2; i <= last; ++i) EXPECT_EQ(run.cell(i).speed_limit, 0);
  EXPECT_EQ(run.cell(20).kind, kCodeCut);
  EXPECT_EQ(run.cell(20).info1, 0);
  EXPECT_EQ(run.cell(40).kind, kCodePoint);
  EXPECT_EQ(run.cell(40).info1, 75);

  load_run progression(line_definition("", "lunghezza percorso, 10000\r\nprogressiva chilometrica uno, 25, 100, 0\r\n"),
                       kBareTrain);
  EXPECT_EQ(progression.code(), 2);

  load_run occupied(line_definition("cartello_indicatore, 950, A\r\n"), train_definition("abbattimento, 1000, 5\r\n"));
  EXPECT_EQ(occupied.code(), 7);
  EXPECT_EQ(occupied.position(), 1000);

  load_run too_fast(line_definition(""), train_definition("velocita, 0, 1280\r\n"));
  EXPECT_EQ(too_fast.code(), 25);
}

// UTF-8 text is found wherever it stands, even where the scan goes eight
// plain bytes at a time; Windows-1252 letters are not taken for it.
TEST(Loaders, Utf8TextIsFoundAtAnyByte) {
  const std::string lead = "[generale]\r\n";
  for (size_t pad : {0u, 1u, 5u, 6u, 7u, 8u, 13u, 20u}) {
    SCOPED_TRACE(pad);
    const std::string line = lead + std::string(pad, 'a') + "\xC3\x80" + std::string(pad % 3, 'b');
    scenario_model model;
    std::vector<load_warning> warnings;
    memorizza_dati(model, definition_texts{line, std::nullopt}, &warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].kind, warning_kind::not_ansi_text);
    EXPECT_EQ(warnings[0].site.line, 2);
    EXPECT_EQ(warnings[0].site.column, static_cast<int32_t>(pad) + 1);
  }
  scenario_model model;
  std::vector<load_warning> warnings;
  memorizza_dati(model, definition_texts{lead + "CITT\xC0 e \xC8 \xE0 " + std::string(20, 'x') + "\xE8", std::nullopt},
                 &warnings);
  EXPECT_TRUE(warnings.empty());
}

TEST(TrainLoader, MissingTrainDefinitionIsAReadFailure) {
  load_run run(line_definition(""), "");
  EXPECT_EQ(run.code(), 25);
  EXPECT_EQ(run.fault.site.file, definition_file::train);
  EXPECT_EQ(run.fault.detail, "manca la definizione del treno");
}

TEST(Compile, ReservedFieldFaultWritesNothing) {
  const struct {
    std::string train;
    int32_t fault;
  } cases[] = {
      {"segnale, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0\r\n", 1251},  // cell 1: info1 0, info2 10
      {"segnale, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0\r\n", 1250},
  };
  for (const auto& c : cases) {
    temp_dir dir;
    write_file(dir.file("R_1.dat"), "old cells");
    scenario_model m;
    m.identity = {"R", "1"};
    const compile_result result =
        memorizza_percorso(m, 1, definition_texts{line_definition(""), train_definition(c.train)}, dir.str());
    EXPECT_EQ(result.outcome.reserved, c.fault);
    EXPECT_TRUE(result.files.empty());
    EXPECT_FALSE(dir.has("R_1.sim"));
    EXPECT_FALSE(dir.has("R_linea.dat"));
    EXPECT_EQ(testing::read_file(dir.file("R_1.dat")), "old cells");
  }
}

TEST(Compile, NoRouteCellsNoFiles) {
  temp_dir dir;
  scenario_model m;
  m.identity = {"R", "1"};
  const compile_result result = memorizza_percorso(
      m, 1, definition_texts{"[generale]\r\nsfondo uno, 5\r\n[fine]\r\n", kBareTrain}, dir.str());
  EXPECT_EQ(result.outcome.recorded.error_code, 25);
  EXPECT_TRUE(result.files.empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace scenario

namespace scenario {
namespace {

TEST(TrainLoader, RangeFaultOfTheLineDefinitionIsNoRefusalOfLaterRecords) {
  load_run run(line_definition("pendenza, 17000, 5\r\n"),
               train_definition("segnale, 750, 1, 3, 1, 0, 0, 0, 0, 0, 0, 0\r\nrallentamento, 4850, 30, 900, 0, 0, 0\r\n"
                                "sabbia, 300\r\n"));
  EXPECT_EQ(run.code(), 15);
  EXPECT_EQ(run.position(), 17000);
  EXPECT_EQ(run.fault.site.file, definition_file::line);
  EXPECT_EQ(run.cell(16).kind, kSignal);
  EXPECT_EQ(run.cell(98).kind, kSlowdownStart);
  EXPECT_EQ(run.item(kRepeatItem).num1, 300);
}

}  // namespace
}  // namespace scenario

namespace scenario {
namespace {

// The code point the slowdown needs finds its cells taken by signals: the
// fault stands at the slowdown and names the signal in the cell it wanted.
TEST(Compile, PostProcessingFaultNamesTheSlowdownAndTheCellsHolder) {
  scenario_model m;
  m.identity = {"R", "1"};
  const compile_outcome outcome = compile_scenario(
      m, 0,
      definition_texts{
          line_definition("pendenza, 17000, 5\r\n"),
          train_definition("segnale, 750, 1, 3, 1, 0, 0, 0, 0, 0, 0, 0\r\nsegnale, 700, 1, 3, 1, 0, 0, 0, 0, 0, 0, 0\r\n"
                           "segnale, 650, 1, 3, 1, 0, 0, 0, 0, 0, 0, 0\r\nrallentamento, 1000, 120, 500, 0, 0, 0\r\n")});
  EXPECT_EQ(outcome.reserved, kNoFault);
  EXPECT_EQ(outcome.recorded.error_code, 12);  // replaces the loader's 15
  EXPECT_EQ(outcome.recorded.error_position, 1050);
  EXPECT_EQ(outcome.recorded.site.file, definition_file::train);
  EXPECT_EQ(outcome.recorded.site.line, 5);
  EXPECT_EQ(outcome.recorded.site.text, "rallentamento, 1000, 120, 500, 0, 0, 0");
  EXPECT_EQ(outcome.recorded.met.file, definition_file::train);
  EXPECT_EQ(outcome.recorded.met.line, 2);
}

}  // namespace
}  // namespace scenario

namespace scenario {
namespace {

// Inputs the model cannot hold, refused with a fault instead of being
// written outside a table.
TEST(Hardening, RefusedInputs) {
  std::string eighty_boards;
  for (int i = 0; i < 80; ++i) eighty_boards += "cartello_indicatore, " + std::to_string(100 + 100 * i) + ", T\r\n";
  const struct {
    const char* name;
    std::string line;
    std::string train;
    int32_t code;
  } cases[] = {
      {"negative route length", line_definition("", "lunghezza percorso, -10\r\n"), kBareTrain, 1},
      {"stop cell beyond the last cell", line_definition(""), train_definition(station(16000, 7, 2000, 0, "LUNGA")), 15},
      {"no item entry left for a station", line_definition(eighty_boards), train_definition(station(0, 27, 200, 0, "S")),
       10},
      {"station time beyond 32 bits", line_definition(""), train_definition(station(0, 12, 400, 0, "S", 1000000, 0, 0)),
       25},
      {"key as the last field is never acted on", line_definition(""), "[generale]\r\nsabbia, 300\r\nsabbia", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    load_run run(c.line, c.train);
    EXPECT_EQ(run.code(), c.code);
    if (c.code == 10) {
      EXPECT_EQ(run.item(1).text, "T");  // the last board text stays
    }
  }
  load_run record_to_the_end(line_definition(""), "[generale]\r\nvetture, 3");
  EXPECT_EQ(record_to_the_end.code(), 0);
  EXPECT_EQ(record_to_the_end.item(kTrainItem).position, 3);
}

}  // namespace
}  // namespace scenario

namespace scenario {
namespace {

// A train definition of no record at all is a fault, which does not hide
// a fault found before it; reading on past faults, both are listed.
TEST(TrainLoader, TrainDefinitionOfNoRecordIsAFault) {
  load_run empty(line_definition(""), train_definition(""));
  EXPECT_EQ(empty.code(), 25);
  EXPECT_EQ(empty.fault.site.file, definition_file::train);

  const definition_texts texts{line_definition("pendenza, 17000, 5\r\n"), train_definition("")};
  load_run both(*texts.line, *texts.train);
  EXPECT_EQ(both.code(), 15);
  scenario_model m;
  m.identity = {"R", "1"};
  const std::vector<fault_state> all = every_load_fault(m, texts);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].error_code, 15);
  EXPECT_EQ(all[1].error_code, 25);
  EXPECT_EQ(all[1].site.file, definition_file::train);
}

}  // namespace
}  // namespace scenario
