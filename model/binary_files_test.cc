#include "model/binary_files.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "model/coding.h"

namespace scenario {
namespace {

// Reads a little-endian field of `size` bytes at `offset` as a signed value.
int64_t field(const std::string& bytes, size_t offset, int size) {
  uint64_t v = 0;
  for (int i = 0; i < size; ++i) v |= uint64_t(uint8_t(bytes.at(offset + i))) << (8 * i);
  if (size < 8 && (v >> (8 * size - 1)) & 1) v |= ~uint64_t(0) << (8 * size);
  return static_cast<int64_t>(v);
}

scenario_model small_model() {
  scenario_model m;
  m.route_cells.resize(3);
  route_cell& c = m.route_cells[1];
  c.kind = 14;
  c.info1 = 5121;
  c.info2 = -2;
  c.info3 = 0x1234;
  c.info4 = static_cast<int16_t>(70000);  // keeps its low 16 bits: 4464
  c.signal_time = 230;
  c.approach_mark = 81;
  c.tunnel_kind = 3;
  c.speed_limit = 16;
  c.gradient = 76;
  c.adhesion = 95;
  return m;
}

TEST(RouteCellsFile, FifteenBytesPerCellAtExactOffsets) {
  const std::string b = route_cells_bytes(small_model());
  ASSERT_EQ(b.size(), 3u * 15u);
  const struct {
    size_t offset;
    int size;
    int64_t value;
  } fields[] = {
      {15, 1, 14},  {16, 2, 5121}, {18, 2, -2}, {20, 2, 0x1234}, {22, 2, 4464}, {24, 1, 230 - 256},
      {25, 1, 81},  {26, 1, 3},    {27, 1, 16}, {28, 1, 76},     {29, 1, 95},
  };
  for (const auto& f : fields) EXPECT_EQ(field(b, f.offset, f.size), f.value) << "offset " << f.offset;
  EXPECT_EQ(uint8_t(b[16]), 0x01);
  EXPECT_EQ(uint8_t(b[17]), 0x14);
  EXPECT_EQ(b.substr(0, 15), std::string(15, '\0'));
  EXPECT_EQ(b.substr(30), std::string(15, '\0'));
}

TEST(ItemTableFile, EntriesOfThirtyFourBytesPlusText) {
  scenario_model m;
  item_entry& e = m.item_table[1];
  e.kind = 12;
  e.start = -200;
  e.end = 200;
  e.position = 0;
  e.flag1 = 1;
  e.text = "BRENVALO TERME";
  e.num1 = 1;
  e.num2 = 1;
  e.num3 = -3;
  e.num4 = 4;
  e.num5 = 5;
  e.byte1 = 6;
  e.byte2 = 7;
  e.byte3 = 8;
  e.byte4 = 9;
  e.time_s = 24480;
  const std::string b = item_table_bytes(m);
  ASSERT_EQ(b.size(), 87u * 34u + 14u);
  const size_t o = 34;  // entry 0 is empty
  EXPECT_EQ(b.substr(0, 34), std::string(34, '\0'));
  const struct {
    size_t offset;
    int size;
    int64_t value;
  } fields[] = {{0, 1, 12}, {1, 4, -200}, {5, 4, 200}, {9, 4, 0},   {13, 1, 1},  {14, 2, 14}, {30, 2, 1},
                {32, 2, 1}, {34, 2, -3},  {36, 2, 4},  {38, 2, 5},  {40, 1, 6},  {41, 1, 7},  {42, 1, 8},
                {43, 1, 9}, {44, 4, 24480}};
  for (const auto& f : fields) EXPECT_EQ(field(b, o + f.offset, f.size), f.value) << "offset " << f.offset;
  EXPECT_EQ(b.substr(o + 16, 14), "BRENVALO TERME");
  EXPECT_EQ(b.substr(o + 48, 34), std::string(34, '\0'));
}

TEST(RoutePlanFile, VariantRecordsXRunThenYRun) {
  scenario_model m;
  m.plan.sized = true;
  m.plan.points = 5;
  m.plan.start_set = true;
  m.plan.computed_end = 3;
  m.plan.stretches = {{3, 0.5}};  // point 2: x = 0 + (0 + 0.5 * 1), y = 1 + (1 - 0.5 * 0)
  const std::vector<double> x = {0, 0, 0.5, 0, 0};
  const std::vector<double> y = {0, 1, 2.0, 0, 0};
  const std::string b = route_plan_bytes(m);
  std::string expected;
  for (const std::vector<double>* run : {&x, &y}) {
    put_u16(&expected, 2);
    put_i16(&expected, static_cast<int16_t>((*run)[0]));
    put_u16(&expected, 2);
    put_i16(&expected, static_cast<int16_t>((*run)[1]));
    put_u16(&expected, 5);
    put_f64(&expected, (*run)[2]);
    put_u16(&expected, 0);
    put_u16(&expected, 0);
  }
  EXPECT_EQ(b, expected);
  EXPECT_EQ(b.size(), 2u * (4 + 4 + 10 + 2 + 2));
  EXPECT_EQ(route_plan_run_bytes(m.plan), b.size() / 2);
  EXPECT_EQ(field(b, 22 + 6, 2), 1);  // y of metre 1 is the integer 1
}

// The pieces of one pass, laid at their offsets, make the file of two
// passes: a plan of many pieces, one stopped early by a fault, one never
// started.
TEST(RoutePlanFile, PiecesLaidAtTheirOffsetsMakeTheFile) {
  const struct {
    const char* name;
    int32_t points;
    int32_t computed_end;
    bool start_set;
  } cases[] = {{"whole", 60001, 59999, true}, {"stopped early", 60001, 20500, true}, {"nothing computed", 7001, 2, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scenario_model m;
    m.plan.sized = true;
    m.plan.points = c.points;
    m.plan.start_set = c.start_set;
    m.plan.computed_end = c.computed_end;
    if (c.computed_end > 2) m.plan.stretches = {{9000, 0.0}, {20000, 0.003}, {c.computed_end, -0.0002}};
    const std::string whole = route_plan_bytes(m);
    ASSERT_EQ(whole.size(), 2 * route_plan_run_bytes(m.plan));
    std::string laid(whole.size(), '\x7f');
    size_t covered = 0, pieces = 0, ends_inside_a_page = 0;
    encode_route_plan_pieces(m.plan, [&](uint64_t offset, std::string& bytes) {
      ASSERT_LE(offset + bytes.size(), laid.size());
      laid.replace(offset, bytes.size(), bytes);
      covered += bytes.size();
      ++pieces;
      if ((offset + bytes.size()) % 4096 != 0) ++ends_inside_a_page;
      bytes.clear();
    });
    EXPECT_EQ(covered, whole.size());
    EXPECT_TRUE(laid == whole);
    EXPECT_LE(ends_inside_a_page, 2u);  // the end of each run alone
    if (c.computed_end > 20000) {
      EXPECT_GT(pieces, 4u);
    }
  }
}

}  // namespace
}  // namespace scenario
