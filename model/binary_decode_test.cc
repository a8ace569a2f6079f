#include "model/binary_decode.h"

#include <gtest/gtest.h>

#include <tuple>

#include "model/binary_files.h"
#include "model/plan_generator.h"

namespace scenario {
namespace {

auto fields(const route_cell& c) {
  return std::make_tuple(c.kind, c.info1, c.info2, c.info3, c.info4, c.signal_time, c.approach_mark, c.tunnel_kind,
                         c.speed_limit, c.gradient, c.adhesion);
}

auto fields(const item_entry& e) {
  return std::make_tuple(e.kind, e.start, e.end, e.position, e.flag1, e.text, e.num1, e.num2, e.num3, e.num4, e.num5,
                         e.byte1, e.byte2, e.byte3, e.byte4, e.time_s);
}

// Every field of a cell distinct, so a field read into the wrong place shows.
route_cell distinct_cell(int seed) {
  route_cell c;
  c.kind = static_cast<uint8_t>(seed);
  c.info1 = static_cast<int16_t>(-1000 - seed);
  c.info2 = static_cast<int16_t>(2000 + seed);
  c.info3 = static_cast<int16_t>(-3000 - seed);
  c.info4 = static_cast<int16_t>(4000 + seed);
  c.signal_time = static_cast<uint8_t>(200 + seed);
  c.approach_mark = static_cast<uint8_t>(80 + seed);
  c.tunnel_kind = static_cast<uint8_t>(seed + 1);
  c.speed_limit = static_cast<uint8_t>(16 + seed);
  c.gradient = static_cast<uint8_t>(76 + seed);
  c.adhesion = static_cast<uint8_t>(95 + seed);
  return c;
}

item_entry distinct_entry(int seed, std::string text) {
  item_entry e;
  e.kind = static_cast<uint8_t>(seed);
  e.start = -200 - seed;
  e.end = 200000 + seed;
  e.position = -70000 - seed;
  e.flag1 = static_cast<uint8_t>(250 - seed);
  e.text = std::move(text);
  e.num1 = static_cast<int16_t>(-1 - seed);
  e.num2 = static_cast<int16_t>(2 + seed);
  e.num3 = static_cast<int16_t>(-3 - seed);
  e.num4 = static_cast<int16_t>(4 + seed);
  e.num5 = static_cast<int16_t>(-5 - seed);
  e.byte1 = static_cast<uint8_t>(6 + seed);
  e.byte2 = static_cast<uint8_t>(7 + seed);
  e.byte3 = static_cast<uint8_t>(8 + seed);
  e.byte4 = static_cast<uint8_t>(9 + seed);
  e.time_s = 24480 + seed;
  return e;
}

// Six points: the two integer start points, two Doubles, two empty.
scenario_model small_plan() {
  scenario_model m;
  plan_points& p = m.plan;
  p.sized = true;
  p.points = 6;
  p.start_set = true;
  p.computed_end = 4;
  p.stretches = {{3, 0.25}, {4, -0.003}};
  return m;
}

TEST(DecodeRouteCells, GivesBackEveryFieldOfEveryCell) {
  scenario_model m;
  for (int i = 0; i < 4; ++i) m.route_cells.push_back(distinct_cell(i));
  const std::vector<route_cell> cells = decode_route_cells(route_cells_bytes(m));
  ASSERT_EQ(cells.size(), 4u);
  for (size_t i = 0; i < cells.size(); ++i) EXPECT_EQ(fields(cells[i]), fields(m.route_cells[i])) << "cell " << i;
}

TEST(DecodeItemTable, GivesBackEveryEntryWhateverItsTextLength) {
  scenario_model m;
  m.item_table[1] = distinct_entry(1, "BRENVALO TERME");
  m.item_table[2] = distinct_entry(2, "");
  m.item_table[80] = distinct_entry(3, "(MADONNA)(261 m. )");
  m.item_table[85] = distinct_entry(4, "umidit\xE0");
  m.item_table[86] = distinct_entry(5, std::string(300, 'x'));
  const std::array<item_entry, kItemCount> items = decode_item_table(item_table_bytes(m));
  for (int i = 0; i < kItemCount; ++i) EXPECT_EQ(fields(items[i]), fields(m.item_table[i])) << "entry " << i;
}

TEST(DecodeRoutePlan, SplitsTheRunsAndKeepsTypesAndValues) {
  const scenario_model m = small_plan();
  const std::vector<plan_xy> points = sample_plan(m.plan, 3, 1);
  ASSERT_EQ(points.size(), 4u);
  const decoded_plan plan = decode_route_plan(route_plan_bytes(m));
  ASSERT_EQ(plan.x.size(), 6u);
  ASSERT_EQ(plan.y.size(), 6u);
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(plan.x[i].type, m.plan.type(i)) << i;
    EXPECT_EQ(plan.y[i].type, m.plan.type(i)) << i;
    if (m.plan.type(i) != plan_element::empty) {
      EXPECT_EQ(plan.x[i].value, points[i].x) << i;
      EXPECT_EQ(plan.y[i].value, points[i].y) << i;
    }
  }
  const plan_element_counts counts = count_elements(plan.y);
  EXPECT_EQ(counts.integer, 2);
  EXPECT_EQ(counts.real, 2);
  EXPECT_EQ(counts.empty, 2);
}

enum class file_kind { cells, items, plan };

void decode(file_kind kind, const std::string& bytes) {
  switch (kind) {
    case file_kind::cells: decode_route_cells(bytes); return;
    case file_kind::items: decode_item_table(bytes); return;
    case file_kind::plan: decode_route_plan(bytes); return;
  }
}

std::string cut(const std::string& bytes, size_t keep) { return bytes.substr(0, keep); }

TEST(DecodeBrokenFiles, ReportTheOffsetWhereTheyBreak) {
  scenario_model cells_model;
  cells_model.route_cells.assign(3, route_cell{});
  const std::string cells = route_cells_bytes(cells_model);

  // Entries 0 to 84 are empty, 34 bytes each: entry 85 begins at 2890 and
  // its one-byte text at 2906.
  scenario_model items_model;
  items_model.item_table[85].text = "R";
  items_model.item_table[86].text = "1";
  const std::string items = item_table_bytes(items_model);

  // Elements of 4 (integer), 10 (Double) or 2 (empty) bytes: the x run
  // begins 0, 4, 8, 18, 28, 30; y begins at 32.
  const std::string plan = route_plan_bytes(small_plan());
  std::string unknown_type = plan;
  unknown_type[8] = 7;

  const struct {
    const char* name;
    file_kind kind;
    std::string bytes;
    size_t offset;
    const char* words;
  } cases[] = {
      {"cells: empty file", file_kind::cells, "", 0, "file vuoto"},
      {"cells: last cell short", file_kind::cells, cut(cells, 37), 30, "cella 2 e' incompleta: 7 byte su 15"},
      {"cells: one byte over", file_kind::cells, cells + "x", 45, "cella 3 e' incompleta: 1 byte su 15"},
      {"items: empty file", file_kind::items, "", 0, "voce 0 incompleta"},
      {"items: position cut", file_kind::items, cut(items, 10), 9, "voce 0 incompleta"},
      {"items: length cut", file_kind::items, cut(items, 34 * 85 + 15), 34 * 85 + 14, "voce 85 incompleta"},
      {"items: text cut", file_kind::items, cut(items, 2906), 2906, "testo della voce 85 incompleto: 1 byte attesi, 0"},
      {"items: numbers after the text cut", file_kind::items, cut(items, 2907 + 5), 2907 + 4,
       "voce 85 incompleta dopo il testo"},
      {"items: last byte missing", file_kind::items, cut(items, items.size() - 1), items.size() - 4,
       "voce 86 incompleta dopo il testo"},
      {"items: bytes after entry 86", file_kind::items, items + "ab", items.size(), "2 byte in piu' dopo la voce 86"},
      {"plan: empty file", file_kind::plan, "", 0, "file vuoto"},
      {"plan: type code cut", file_kind::plan, cut(plan, 1), 0, "elemento 0 incompleto"},
      {"plan: integer cut", file_kind::plan, cut(plan, 7), 4, "valore intero dell'elemento 1"},
      {"plan: Double cut", file_kind::plan, cut(plan, 17), 8, "valore Double dell'elemento 2"},
      {"plan: unknown type", file_kind::plan, unknown_type, 8, "codice di tipo 7 sconosciuto nell'elemento 2"},
      {"plan: odd count", file_kind::plan, cut(plan, plan.size() - 2), plan.size() - 2, "numero dispari di elementi (11)"},
      // Two empty elements lost: y now begins with x's last one.
      {"plan: runs shifted", file_kind::plan, cut(plan, plan.size() - 4), 30, "al metro 0 x e y hanno tipi diversi"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      decode(c.kind, c.bytes);
      ADD_FAILURE() << "decoded";
    } catch (const decode_failure& failure) {
      EXPECT_EQ(failure.offset(), c.offset);
      EXPECT_NE(std::string(failure.what()).find(c.words), std::string::npos) << failure.what();
    }
  }
}

}  // namespace
}  // namespace scenario
