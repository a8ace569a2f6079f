#include "model/compile.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

scenario_model stampable() {
  scenario_model m;
  m.route_cells.resize(5);
  m.item_table[kRouteItem].text = "Brenvalo_Morvena";
  m.item_table[kRepeatItem].text = "4815";
  return m;
}

TEST(ReservedFields, StampedWithMarksAndCheckCodes) {
  scenario_model m = stampable();
  EXPECT_EQ(stamp_reserved_fields(m), 0);
  EXPECT_EQ(m.item_table[kRouteItem].num1, 610);
  EXPECT_EQ(m.route_cells[1].info1, 5121);
  EXPECT_EQ(m.item_table[kRouteItem].time_s, 33192);
  EXPECT_EQ(m.route_cells[1].info2, 2411);
}

TEST(ReservedFields, AnyFieldFoundSetIsAFault) {
  const struct {
    void (*set)(scenario_model&);
    int32_t fault;
  } cases[] = {
      {[](scenario_model& m) { m.item_table[kRouteItem].num1 = 1; }, 1250},
      {[](scenario_model& m) { m.route_cells[1].info1 = -1; }, 1250},
      {[](scenario_model& m) { m.item_table[kRouteItem].time_s = 7; }, 1251},
      {[](scenario_model& m) { m.route_cells[1].info2 = 3; }, 1251},
  };
  for (const auto& c : cases) {
    scenario_model m = stampable();
    c.set(m);
    EXPECT_EQ(stamp_reserved_fields(m), c.fault);
  }
}

}  // namespace
}  // namespace scenario
