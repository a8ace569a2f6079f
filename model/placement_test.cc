#include "model/placement.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>


namespace scenario {
namespace {

// A route of cells 0..last with nothing on it.
scenario_model route(int32_t last = 199) {
  scenario_model m;
  m.last_cell = last;
  m.route_cells.resize(static_cast<std::size_t>(last) + 1);
  return m;
}

auto fields(const route_cell& c) {
  return std::tie(c.kind, c.info1, c.info2, c.info3, c.info4, c.signal_time, c.approach_mark, c.tunnel_kind,
                  c.speed_limit, c.gradient, c.adhesion);
}

// Indices of the cells that differ between two models of the same size.
std::vector<int> changed(const scenario_model& before, const scenario_model& after) {
  std::vector<int> out;
  for (std::size_t i = 0; i < before.route_cells.size(); ++i) {
    if (fields(before.route_cells[i]) != fields(after.route_cells[i])) out.push_back(static_cast<int>(i));
  }
  return out;
}

route_cell& cell(scenario_model& m, int c) { return m.route_cells[static_cast<std::size_t>(c)]; }

// The built-in kind of signal record: sx 1, s1 3, s2 1, everything else 0.
refusal place_signal(scenario_model& m, int32_t posizione, int32_t sx = 1, int32_t* tempo = nullptr) {
  int32_t t = tempo != nullptr ? *tempo : 0;
  const refusal r = memo_segnale(m, posizione, sx, 3, 1, 0, 0, 0, 0, 0, 0, t);
  if (tempo != nullptr) *tempo = t;
  return r;
}

refusal place_board(scenario_model& m, int32_t posizione, int32_t vas = 75, int32_t vad = 0) {
  return memo_indicatori_v_max(m, posizione, vas, 80, 80, 1, vad, 0, 0, 2);
}

// --- signals -----------------------------------------------------------

TEST(SegnalePlacement, MarksItsCellAndFourApproachCells) {
  refusal answer;
  scenario_model m = route();
  const scenario_model before = m;
  answer = place_signal(m, 5950);

  EXPECT_EQ(answer.code, 0);
  EXPECT_EQ(changed(before, m), (std::vector<int>{112, 114, 116, 118, 120}));
  const route_cell& s = cell(m, 120);
  EXPECT_EQ(s.kind, kSignal);
  EXPECT_EQ(s.info1, 30);
  EXPECT_EQ(s.info2, 10);
  EXPECT_EQ(s.info3, 0);
  EXPECT_EQ(s.info4, 3);
  EXPECT_EQ(s.signal_time, 0);
  for (int j = 1; j <= 4; ++j) {
    EXPECT_EQ(cell(m, 120 - 2 * j).approach_mark, 30 + j) << j;
    EXPECT_EQ(cell(m, 120 - 2 * j).kind, kEmpty) << j;
  }
}

TEST(SegnalePlacement, TakenCellRefusedButApproachCellAccepted) {
  refusal answer;
  scenario_model m = route();
  answer = place_signal(m, 5950);

  scenario_model refused = m;
  answer = place_signal(refused, 5960);  // also cell 120
  EXPECT_EQ(answer.code, 16);
  EXPECT_TRUE(changed(m, refused).empty());

  answer = place_signal(m, 5850);  // cell 118 holds only an approach mark
  EXPECT_EQ(answer.code, 0);
  EXPECT_EQ(cell(m, 118).kind, kSignal);
  EXPECT_EQ(cell(m, 118).approach_mark, 31);  // its own mark from the signal ahead stays
  EXPECT_EQ(cell(m, 116).approach_mark, 31);  // an earlier mark is overwritten
  EXPECT_EQ(cell(m, 110).approach_mark, 34);
}

TEST(SegnalePlacement, TempoRaisedAndStoredOnlyForSx2) {
  struct row {
    int32_t sx, tempo, stored, tempo_after;
  };
  const row rows[] = {
      {2, 50, 101, 101}, {2, 1, 101, 101},   {2, 100, 101, 101}, {2, 101, 101, 101}, {2, 230, 230, 230},
      {2, 0, 0, 0},      {2, 255, 255, 255}, {1, 50, 0, 101},    {1, 230, 0, 230},
      {1, 300, 0, 300},   // stored only for sx 2, so any value will do
      {258, 230, 0, 230},  // sx compared whole, not by its low bits
  };
  for (const row& r : rows) {
    SCOPED_TRACE(testing::Message() << "sx " << r.sx << " tempo " << r.tempo);
    scenario_model m = route();
    int32_t tempo = r.tempo;
    place_signal(m, 5950, r.sx, &tempo);
    EXPECT_EQ(tempo, r.tempo_after);
    EXPECT_EQ(cell(m, 120).signal_time, r.stored);
  }
}

// A value whose stored form does not fit its field refuses the record
// (fault 25, at the argument that carries it) and leaves every cell as it
// was; only the approach marks are computed in 8 bits on purpose.
TEST(SegnalePlacement, ValuesThatDoNotFitAreRefusedNotWrapped) {
  struct row {
    const char* name;
    int32_t sx, s1, rapp, d1, tempo;
    int argument;  // -1: accepted
  };
  const row rows[] = {
      {"s1 x 10 + d1 above 32767", 1, 3276, 0, 8, 0, 2},
      {"s1 x 10 + d1 at 32767", 1, 3276, 0, 7, 0, -1},
      {"s1 x 10 + d1 below -32768", 1, -3277, 0, 0, 0, 2},
      {"rapp x 10 + aspect above 32767", 1, 3, 3277, 0, 0, 5},
      {"time above 255 for sx 2", 2, 3, 0, 0, 300, 10},
      {"negative time for sx 2", 2, 3, 0, 0, -5, 10},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    scenario_model m = route();
    const scenario_model before = m;
    int32_t tempo = r.tempo;
    const refusal answer = memo_segnale(m, 5950, r.sx, r.s1, 0, 0, r.rapp, 0, r.d1, 0, 0, tempo);
    EXPECT_EQ(answer.code, r.argument < 0 ? kNoFault : kReadFault);
    EXPECT_EQ(answer.argument, r.argument);
    EXPECT_EQ(changed(before, m).empty(), r.argument >= 0);
  }
  scenario_model m = route();
  int32_t tempo = 0;
  ASSERT_FALSE(memo_segnale(m, 5950, 9, 0, 0, 0, 0, 0, 0, 0, 0, tempo));
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(cell(m, 120 - 2 * j).approach_mark, (270 + j) % 256) << j;
}

TEST(SegnalePlacement, ApproachMarksBeforeCellZeroAreSkipped) {
  refusal answer;
  struct row {
    int32_t posizione;
    std::vector<int> touched;  // signal cell last
    int left_out;
  };
  const row rows[] = {
      {0, {1}, 4}, {100, {1, 3}, 3}, {300, {1, 3, 5, 7}, 1}, {325, {0, 2, 4, 6, 8}, 0},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.posizione);
    scenario_model m = route();
    const scenario_model before = m;
    answer = place_signal(m, r.posizione);
    EXPECT_EQ(answer.code, 0);
    EXPECT_EQ(changed(before, m), r.touched);
    EXPECT_EQ(cell(m, r.touched.back()).kind, kSignal);
    EXPECT_EQ(approach_marks_left_out(r.posizione), r.left_out);
  }
}

// --- cells that are free or taken, for every point object ---------------

TEST(FreeCellPlacement, TunnelMarkerIsFreeAnyObjectIsNot) {
  refusal answer;
  struct row {
    uint8_t kind;
    bool free;
  };
  const row rows[] = {{kEmpty, true},         {kTunnelMarker, true},  {kSignal, false},    {kWarningApproach, false},
                      {kCodePoint, false},    {kStopCell, false},     {kIndicatorBoard, false}};
  for (const row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.kind));
    scenario_model signal_m = route();
    cell(signal_m, 120).kind = r.kind;
    answer = place_signal(signal_m, 5950);
    EXPECT_EQ(answer.code, r.free ? 0 : 16);
    EXPECT_EQ(cell(signal_m, 120).kind, r.free ? uint8_t{kSignal} : r.kind);

    scenario_model board_m = route();
    cell(board_m, 120).kind = r.kind;
    const scenario_model before = board_m;
    answer = place_board(board_m, 5950);
    EXPECT_EQ(answer.code, r.free ? 0 : 21);
    if (!r.free) {
      EXPECT_TRUE(changed(before, board_m).empty());
    }
  }
}

TEST(FreeCellPlacement, PointObjectOutsideCellsRefused) {
  refusal answer;
  for (int32_t posizione : {9950, -100}) {  // cells 200 and -1 of cells 0..199
    SCOPED_TRACE(posizione);
    scenario_model m = route();
    answer = place_signal(m, posizione);
    EXPECT_EQ(answer.code, 15);
    scenario_model b = route();
    answer = place_board(b, posizione);
    EXPECT_EQ(answer.code, 15);
  }
}

// --- slowdowns ---------------------------------------------------------

TEST(RallentamentoPlacement, BoardStartAndEnd) {
  refusal answer;
  scenario_model m = route();
  for (int c : {74, 98, 116}) cell(m, c).info2 = 7;
  const scenario_model before = m;
  answer = memo_rallentamento(m, 4850, 30, 900, 0, 0, 0);

  EXPECT_EQ(answer.code, 0);
  EXPECT_EQ(changed(before, m), (std::vector<int>{74, 98, 116}));
  const std::tuple<int, uint8_t> expected[] = {{74, kWarningBoard}, {98, kSlowdownStart}, {116, kSlowdownEnd}};
  for (const auto& [c, kind] : expected) {
    EXPECT_EQ(cell(m, c).kind, kind) << c;
    EXPECT_EQ(cell(m, c).info1, 30) << c;
    EXPECT_EQ(cell(m, c).info2, 7) << c;  // d_v 0 leaves it alone
  }
}

TEST(RallentamentoPlacement, ApproachCellsAndSecondValue) {
  refusal answer;
  scenario_model m = route();
  answer = memo_rallentamento(m, 4850, 30, 900, 3, 1, 0);
  EXPECT_EQ(answer.code, 0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(cell(m, 73 - i).kind, kWarningApproach) << i;
    EXPECT_EQ(cell(m, 73 - i).info1, i + 1) << i;
    EXPECT_EQ(cell(m, 73 - i).info2, 0) << i;
  }
  EXPECT_EQ(cell(m, 69).kind, kEmpty);
  EXPECT_EQ(cell(m, 98).info3, 3);
  EXPECT_EQ(cell(m, 116).info3, 3);
  EXPECT_EQ(cell(m, 74).info3, 0);

  scenario_model d = route();
  answer = memo_rallentamento(d, 4850, 30, 900, 0, 1, 40);
  for (int c : {74, 98, 116}) EXPECT_EQ(cell(d, c).info2, 40) << c;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(cell(d, 73 - i).info2, i + 1) << i;
}

TEST(RallentamentoPlacement, WarningBoardOnlyAbove1500Metres) {
  refusal answer;
  struct row {
    int32_t x;
    std::vector<int> boards, approaches;
  };
  const row rows[] = {
      {1500, {}, {}},
      {1550, {8}, {4, 5, 6, 7}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.x);
    scenario_model m = route();
    answer = memo_rallentamento(m, r.x, 30, 500, 0, 1, 0);
    EXPECT_EQ(answer.code, 0);
    std::vector<int> boards, approaches;
    for (int c = 0; c <= m.last_cell; ++c) {
      if (cell(m, c).kind == kWarningBoard) boards.push_back(c);
      if (cell(m, c).kind == kWarningApproach) approaches.push_back(c);
    }
    EXPECT_EQ(boards, r.boards);
    EXPECT_EQ(approaches, r.approaches);
  }
}

TEST(RallentamentoPlacement, StartOnTunnelMarkerReplacesIt) {
  refusal answer;
  scenario_model m = route(940);
  answer = memo_montagna(m, 20400, 21450, 11);
  ASSERT_EQ(cell(m, 419).kind, kTunnelMarker);
  answer = memo_rallentamento(m, 20900, 30, 900, 0, 0, 0);
  EXPECT_EQ(answer.code, 0);
  EXPECT_EQ(cell(m, 419).kind, kSlowdownStart);
  EXPECT_EQ(cell(m, 419).tunnel_kind, 1);
}

TEST(RallentamentoPlacement, TakenCellRefusedWithNothingWritten) {
  refusal answer;
  struct row {
    int taken;
    int32_t code;
  };
  const row rows[] = {{74, 17}, {98, 18}, {116, 19}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.taken);
    scenario_model m = route();
    cell(m, r.taken).kind = kSignal;
    const scenario_model before = m;
    answer = memo_rallentamento(m, 4850, 30, 900, 0, 1, 5);
    EXPECT_EQ(answer.code, r.code);
    EXPECT_TRUE(changed(before, m).empty());
  }
}

TEST(RallentamentoPlacement, TakenApproachCellKeepsBoardStartAndEnd) {
  refusal answer;
  scenario_model m = route();
  cell(m, 71).kind = kSignal;
  const scenario_model before = m;
  answer = memo_rallentamento(m, 4850, 30, 900, 0, 1, 0);
  EXPECT_EQ(answer.code, 20);
  EXPECT_EQ(changed(before, m), (std::vector<int>{74, 98, 116}));
}

TEST(RallentamentoPlacement, StartAndEndInOneCellMakeAStart) {
  scenario_model m = route();
  memo_rallentamento(m, 4850, 30, 10, 2, 0, 5);
  const route_cell& c = cell(m, 98);
  EXPECT_EQ(c.kind, kSlowdownStart);
  EXPECT_EQ(c.slowdown_end_cell, 98);  // no end cell of its own; for the code points, not the files
  memo_rallentamento(m, 6850, 30, 900, 0, 0, 0);
  EXPECT_EQ(cell(m, 138).slowdown_end_cell, 156);
  EXPECT_EQ(c.info1, 30);
  EXPECT_EQ(c.info2, 5);
  EXPECT_EQ(c.info3, 2);
}

TEST(RallentamentoPlacement, CellsOutsideRouteRefusedBeforeWriting) {
  refusal answer;
  struct row {
    int32_t x, l;
    int32_t code;
  };
  const row rows[] = {
      {4850, 6000, 15},  // end in cell 218
      {4850, 5050, 0},   // end in the last cell
      {100, -500, 25},   // a negative length: its end would come before its start
      {4850, -10, 25},   // even one whose end cell exists
      {4850, 0, 0},      // start and end in one cell
  };
  for (const row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.x << " + " << r.l);
    scenario_model m = route();
    const scenario_model before = m;
    answer = memo_rallentamento(m, r.x, 30, r.l, 0, 0, 0);
    EXPECT_EQ(answer.code, r.code);
    EXPECT_EQ(changed(before, m).empty(), r.code != 0);
  }
}

// --- maximum-speed boards ------------------------------------------------

TEST(IndicatoriPlacement, PacksBothSpeedsOfEachRank) {
  scenario_model m = route();
  memo_indicatori_v_max(m, 2000, 75, 80, 80, 1, 0, 0, 0, 2);
  const route_cell& c = cell(m, 41);
  EXPECT_EQ(c.kind, kSpeedBoard);
  EXPECT_EQ(c.info1, 1500);
  EXPECT_EQ(c.info2, 1600);
  EXPECT_EQ(c.info3, 1600);
  EXPECT_EQ(c.info4, 12);

  struct row {
    int32_t vas, vad;
    int16_t packed;
  };
  const row rows[] = {{75, 12, 1502},     {75, 13, 1503},        {0, -13, -3},
                      {1638, 35, 32767},  {-1638, -40, -32768}};
  for (const row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.vas << " / " << r.vad);
    scenario_model b = route();
    place_board(b, 2000, r.vas, r.vad);
    EXPECT_EQ(cell(b, 41).info1, r.packed);
  }
}

TEST(IndicatoriPlacement, ValueBeyondSixteenBitsIsRefusedAndLeavesCell) {
  struct row {
    int32_t vcs, vcd, strisces;
    int argument;
  };
  const row rows[] = {{1639, 0, 1, 3},
                      {1638, 40, 1, 3},
                      {-1639, 0, 1, 3},
                      {std::numeric_limits<int32_t>::max(), 0, 1, 3},
                      {0, std::numeric_limits<int32_t>::min(), 1, 3},
                      {80, 0, 3277, 4}};  // stripes: 3277 x 10 + 2
  for (const row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.vcs << " / " << r.vcd << " / " << r.strisces);
    scenario_model m = route();
    const scenario_model before = m;
    const refusal answer = memo_indicatori_v_max(m, 2000, 75, 80, r.vcs, r.strisces, 0, 0, r.vcd, 2);
    EXPECT_EQ(answer.code, kReadFault);
    EXPECT_EQ(answer.argument, r.argument);
    EXPECT_TRUE(changed(before, m).empty());
  }
}

// --- tunnels -----------------------------------------------------------

TEST(MontagnaPlacement, MarkedStretchesGetTypeAndMarkers) {
  refusal answer;
  scenario_model m = route();
  const scenario_model before = m;
  answer = memo_montagna(m, 600, 850, 11);
  answer = memo_montagna(m, 3400, 3450, 12);

  EXPECT_EQ(answer.code, 0);
  EXPECT_EQ(changed(before, m), (std::vector<int>{12, 13, 14, 15, 16, 68}));
  for (int c = 12; c <= 16; ++c) {
    EXPECT_EQ(cell(m, c).tunnel_kind, 1) << c;
    EXPECT_EQ(cell(m, c).kind, c == 15 ? kTunnelMarker : kEmpty) << c;
  }
  EXPECT_EQ(cell(m, 68).tunnel_kind, 2);
  EXPECT_EQ(cell(m, 68).kind, kEmpty);
  EXPECT_EQ(m.tunnel_count, 2);
  EXPECT_EQ(m.tunnel_starts[2], 3400);
  EXPECT_EQ(m.tunnel_ends[1], 850);
}

TEST(MontagnaPlacement, GapToRecordBeforeDecidesType3) {
  struct row {
    int32_t start;
    uint8_t kind;
  };
  const row rows[] = {{1000, 3}, {1050, 2}, {900, 3}, {800, 3}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.start);
    scenario_model m = route();
    memo_montagna(m, 600, 850, 11);
    memo_montagna(m, r.start, r.start + 400, 12);
    EXPECT_EQ(cell(m, r.start / 50).tunnel_kind, r.kind);
  }
}

TEST(MontagnaPlacement, GapLooksOnlyAtRecordJustBefore) {
  scenario_model m = route();
  memo_montagna(m, 5000, 5300, 12);
  memo_montagna(m, 1000, 1200, 12);  // before the previous one's end: type 3
  memo_montagna(m, 5450, 5700, 12);  // 150 m after the first, far from the second
  EXPECT_EQ(cell(m, 20).tunnel_kind, 3);
  EXPECT_EQ(cell(m, 109).tunnel_kind, 2);
}

TEST(MontagnaPlacement, StretchCoveringNoCellStillCounts) {
  scenario_model m = route();
  const scenario_model before = m;
  memo_montagna(m, 3400, 3420, 12);
  EXPECT_TRUE(changed(before, m).empty());
  EXPECT_EQ(m.tunnel_count, 1);
  memo_montagna(m, 3570, 3800, 12);
  EXPECT_EQ(cell(m, 71).tunnel_kind, 3);
}

TEST(MontagnaPlacement, MarkersEveryFourthCellOnlyWhereEmpty) {
  scenario_model m = route();
  cell(m, 19).kind = kSignal;
  memo_montagna(m, 600, 1500, 11);  // cells 12 to 29
  std::vector<int> markers;
  for (int c = 12; c <= 29; ++c) {
    if (cell(m, c).kind == kTunnelMarker) markers.push_back(c);
    EXPECT_EQ(cell(m, c).tunnel_kind, 1) << c;
  }
  EXPECT_EQ(markers, (std::vector<int>{15, 23, 27}));
  EXPECT_EQ(cell(m, 19).kind, kSignal);

  scenario_model unmarked = route();
  memo_montagna(unmarked, 600, 1500, 5);
  for (int c = 12; c <= 29; ++c) {
    EXPECT_EQ(cell(unmarked, c).kind, kEmpty) << c;
    EXPECT_EQ(cell(unmarked, c).tunnel_kind, 5) << c;
  }

  scenario_model widest = route();
  ASSERT_FALSE(memo_montagna(widest, 600, 850, 265));  // marked, type 255
  EXPECT_EQ(cell(widest, 12).tunnel_kind, 255);
  for (int32_t tipo : {266, -1}) {  // type 256 and -1 do not fit the byte
    scenario_model wide = route();
    const scenario_model before = wide;
    const refusal answer = memo_montagna(wide, 600, 850, tipo);
    EXPECT_EQ(answer.code, kReadFault) << tipo;
    EXPECT_EQ(answer.argument, 2) << tipo;
    EXPECT_TRUE(changed(before, wide).empty()) << tipo;
    EXPECT_EQ(wide.tunnel_count, 0) << tipo;
  }
}

// Only a type that reaches the cells must fit their byte.
TEST(MontagnaPlacement, TypeNeverStoredIsNotRefused) {
  scenario_model joined = route();
  memo_montagna(joined, 600, 850, 11);
  EXPECT_FALSE(memo_montagna(joined, 900, 1200, 300));  // 50 m after: type 3
  EXPECT_EQ(cell(joined, 18).tunnel_kind, 3);
  EXPECT_EQ(joined.tunnel_count, 2);

  scenario_model no_cell = route();
  EXPECT_FALSE(memo_montagna(no_cell, 3400, 3420, 300));
  EXPECT_EQ(no_cell.tunnel_count, 1);
  EXPECT_EQ(memo_montagna(no_cell, 5000, 5400, 300).code, kReadFault);  // stored: refused
}

TEST(MontagnaPlacement, StretchOutsideCellsRefusedUncounted) {
  refusal answer;
  struct row {
    int32_t inizio, fine;
    int32_t code;
  };
  const row rows[] = {
      {9000, 10100, 15},   // last cell 201
      {9000, 10050, 15},   // last cell 200
      {9000, 10000, 0},    // last cell 199
      {-200, 300, 15},     // first cell -4
      {20000, 20000, 0},   // covers no cell
      {3100, 2600, 25},    // end before start: it would cover no cell
  };
  for (const row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.inizio << " - " << r.fine);
    scenario_model m = route();
    const scenario_model before = m;
    answer = memo_montagna(m, r.inizio, r.fine, 11);
    EXPECT_EQ(answer.code, r.code);
    EXPECT_EQ(m.tunnel_count, r.code == 0 ? 1 : 0);
    if (r.code != 0) {
      EXPECT_TRUE(changed(before, m).empty());
    }
  }
}

TEST(MontagnaPlacement, EightyRecordsFitTheNextIsRefused) {
  refusal answer;
  scenario_model m = route();
  for (int32_t t = 0; t < 80; ++t) answer = memo_montagna(m, 100 * t, 100 * t + 20, 12);
  EXPECT_EQ(answer.code, 0);
  EXPECT_EQ(m.tunnel_count, 80);
  EXPECT_EQ(m.tunnel_starts[80], 7900);

  const scenario_model before = m;
  answer = memo_montagna(m, 8000, 8400, 12);
  EXPECT_EQ(answer.code, 10);
  EXPECT_EQ(m.tunnel_count, 80);
  EXPECT_TRUE(changed(before, m).empty());
}

// --- kilometric progressions ------------------------------------------

struct progression {
  int32_t position, value, flag;
  bool operator==(const progression&) const = default;
};

void put(scenario_model& m, int entry, progression p) {
  item_entry& e = m.item_table[static_cast<std::size_t>(entry)];
  e.start = p.position;
  e.end = p.value;
  e.position = p.flag;
}

progression get(const scenario_model& m, int entry) {
  const item_entry& e = m.item_table[static_cast<std::size_t>(entry)];
  return {e.start, e.end, e.position};
}

TEST(ProgressivePlacement, OrdersTheThreeEntries) {
  refusal answer;
  struct row {
    std::string name;
    progression a, b, c;           // entries 81, 82, 83 before
    progression first, second, third;  // after
  };
  const progression none{0, 0, 0};
  const std::vector<row> rows = {
      {"greatest position first, tie of the others goes to the later entry",
       {0, 1000, 0}, {20000, 2000, 0}, {0, 3000, 0}, {20000, 2000, 0}, {0, 3000, 0}, {0, 1000, 0}},
      {"decreasing positions", {100, 1, 0}, {300, 2, 0}, {200, 3, 0}, {300, 2, 0}, {200, 3, 0}, {100, 1, 0}},
      {"two greatest equal: cleared", {5000, 1000, 1}, {5000, 2000, 0}, {0, 3000, 0}, none, none, none},
      {"built-in line", none, none, {0, 73350, 1}, {0, 73450, 1}, none, none},
      {"positions sum 0, only A valued", {0, 500, 0}, none, none, {0, 500, 0}, none, none},
      {"positions sum 0, B overrides A", {0, 500, 0}, {0, 600, 0}, none, {0, 600, 0}, {0, 500, 0}, none},
      {"positions sum 0 though not all 0", {5000, 500, 0}, {-5000, 0, 0}, {0, 700, 0},
       {0, 700, 0}, {-5000, 0, 0}, {5000, 500, 0}},
      {"no value above 0: cleared", {0, -50, 1}, {0, 0, 1}, none, none, none, none},
      {"each flagged entry gains 100", {300, 1000, 1}, {200, 2000, 1}, {100, 3000, 0},
       {300, 1100, 1}, {200, 2100, 1}, {100, 3000, 0}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    scenario_model m = route();
    put(m, 81, r.a);
    put(m, 82, r.b);
    put(m, 83, r.c);
    progressive_ordina(m);
    EXPECT_TRUE(get(m, 81) == r.first);
    EXPECT_TRUE(get(m, 82) == r.second);
    EXPECT_TRUE(get(m, 83) == r.third);
    EXPECT_EQ(answer.code, 0);
  }
}

TEST(ProgressivePlacement, ValueThatCannotTakeTheOffsetIsRefused) {
  scenario_model m = route();
  put(m, 83, {0, std::numeric_limits<int32_t>::max() - 50, 1});
  EXPECT_EQ(progressive_ordina(m).code, kReadFault);
}

}  // namespace
}  // namespace scenario
