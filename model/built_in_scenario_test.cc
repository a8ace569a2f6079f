// The built-in scenario compiled end to end: what its files must carry.
#include <gtest/gtest.h>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/binary_files.h"
#include "model/compile.h"
#include "model/definition_files.h"
#include "model/test_files.h"

namespace scenario {
namespace {

class BuiltInScenario : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::temp_dir dir;
    const scenario_identity id{"Brenvalo_Morvena", "4815"};
    dati_linea(dir.str(), id);
    dati_treno(dir.str(), id);
    model_ = new scenario_model;
    model_->identity = id;
    outcome_ = new compile_outcome(
        compile_scenario(*model_, 1, read_definitions(dir.str(), id.route_name, id.train_number)));
  }
  static void TearDownTestSuite() {
    delete model_;
    delete outcome_;
  }

  static const route_cell& cell(int i) { return model_->route_cells.at(i); }

  static scenario_model* model_;
  static compile_outcome* outcome_;
};

scenario_model* BuiltInScenario::model_ = nullptr;
compile_outcome* BuiltInScenario::outcome_ = nullptr;

TEST_F(BuiltInScenario, CompilesWithoutFault) {
  EXPECT_EQ(outcome_->reserved, kNoFault);
  EXPECT_EQ(outcome_->recorded.error_code, kNoFault);
  EXPECT_EQ(model_->extended_length, 47000);
  EXPECT_EQ(model_->last_cell, 940);
}

TEST_F(BuiltInScenario, LineDefinitionInTheCells) {
  EXPECT_EQ(cell(10).gradient, 118);
  EXPECT_EQ(cell(300).gradient, 76);  // -24 from 14950 m
  for (int i = 938; i <= 940; ++i) EXPECT_EQ(cell(i).gradient, 0);
  EXPECT_EQ(cell(7).kind, kSpeedBoard);
  EXPECT_EQ(cell(7).info1, 1500);
  EXPECT_EQ(cell(7).info2, 1600);
  EXPECT_EQ(cell(7).info3, 1600);
  EXPECT_EQ(cell(12).kind, kIndicatorBoard);
  EXPECT_EQ(model_->item_table[80].text, "(MADONNA)(261 m. )");
  // The 18 tunnels that follow another within 150 m are of type 3.
  for (int start : {4650, 5300, 5550, 5850, 6050, 6500, 19800, 20400, 21550, 21800, 23850, 24100, 25850, 26000,
                    26200, 27200, 27450, 33500}) {
    EXPECT_EQ(cell(start / 50).tunnel_kind, 3) << start;
  }
  EXPECT_EQ(cell(12).tunnel_kind, 1);  // 600-850, type 11
  EXPECT_EQ(cell(68).tunnel_kind, 2);  // 3400-3450, type 12
  EXPECT_EQ(model_->item_table[kProgressionTre].end, 73450);
}

TEST_F(BuiltInScenario, RoutePlanRunsOf47001Elements) {
  const plan_points& p = model_->plan;
  EXPECT_EQ(p.last_point(), 47000);
  EXPECT_EQ(p.computed_end, 46999);
  const std::string bytes = route_plan_bytes(*model_);
  // Per run: 4 bytes for each integer, 10 per Double, 2 per empty element.
  EXPECT_EQ(bytes.size(), 2u * (2 * 4 + 46997 * 10 + 2 * 2));
}

TEST_F(BuiltInScenario, TrainDefinitionInTheCellsAndItems) {
  for (int i = 0; i <= 937; ++i) ASSERT_EQ(cell(i).speed_limit, 16) << i;
  EXPECT_EQ(cell(120).kind, kSignal);
  for (int c : {118, 116, 114, 112}) EXPECT_NE(cell(c).approach_mark, 0);
  // The signal at 37850 m overwrites the fourth approach mark in the cell of
  // the one at 37450 m, which keeps its kind.
  EXPECT_EQ(cell(750).kind, kSignal);
  EXPECT_EQ(cell(750).approach_mark, 34);
  // The slowdown at 20900 m replaces a tunnel marker.
  EXPECT_EQ(cell(419).kind, kSlowdownStart);
  EXPECT_EQ(cell(419).tunnel_kind, 3);
  EXPECT_EQ(model_->item_table[1].text, "BRENVALO TERME");
  EXPECT_EQ(model_->item_table[1].time_s, 24480);
  EXPECT_EQ(model_->item_table[12].text, "MORVENA");
  EXPECT_EQ(model_->item_table[kTrainItem].start, 120);
  EXPECT_EQ(model_->item_table[kTrainItem].position, 3);
  EXPECT_EQ(model_->item_table[kRepeatItem].num3, 9);
  EXPECT_EQ(model_->item_table[kRepeatItem].num4, 20);
  EXPECT_EQ(model_->item_table[kRepeatItem].num5, 30);
  EXPECT_EQ(model_->item_table[kRepeatItem].num1, 300);
}

TEST_F(BuiltInScenario, ReservedFieldsStamped) {
  EXPECT_EQ(cell(1).info1, 5121);
  EXPECT_EQ(cell(1).info2, 2411);
  EXPECT_EQ(model_->item_table[kRouteItem].num1, 610);
  EXPECT_EQ(model_->item_table[kRouteItem].time_s, 33192);
  EXPECT_EQ(route_cells_bytes(*model_).size(), 14115u);
}

uint64_t fnv1a(const std::string& bytes) {
  uint64_t h = 0xcbf29ce484222325u;
  for (char c : bytes) h = (h ^ static_cast<uint8_t>(c)) * 0x100000001b3u;
  return h;
}

// The compiled bytes as first checked field by field; any change in how
// they are computed or encoded must show up here.
TEST_F(BuiltInScenario, CompiledBytesArePinned) {
  EXPECT_EQ(fnv1a(route_plan_bytes(*model_)), 0x955003cba2952dbau);
  EXPECT_EQ(fnv1a(item_table_bytes(*model_)), 0x46112a5f4be75058u);
  EXPECT_EQ(fnv1a(route_cells_bytes(*model_)), 0xac86cf9bcaff9a4fu);
}

}  // namespace
}  // namespace scenario
