#include "model/post_processing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace scenario {
namespace {

// A route of cells 0..199 with nothing on it; cells are set directly.
class PostProcessing : public testing::Test {
 protected:
  PostProcessing() { reset(); }

  void reset() {
    m = scenario_model{};
    found = fault_state{};
    m.last_cell = 199;
    m.route_cells.resize(200);
  }

  route_cell& cell(int c) { return m.route_cells[static_cast<std::size_t>(c)]; }
  void put(int c, uint8_t kind, int16_t info1 = 0) {
    cell(c).kind = kind;
    cell(c).info1 = info1;
  }
  // As the placement leaves it: a start whose end fell into its own cell
  // is marked as having no end cell of its own.
  void slowdown(int start, int end, int16_t speed) {
    put(end, kSlowdownEnd, speed);
    put(start, kSlowdownStart, speed);
    cell(start).slowdown_end_cell = end;
  }
  void occupy(std::initializer_list<int> cells) {
    for (int c : cells) put(c, kSpeedBoard);
  }

  // Cells that hold a code point of code 180 after the pass.
  std::vector<int> code_points() const {
    std::vector<int> out;
    for (std::size_t c = 0; c < m.route_cells.size(); ++c) {
      if (m.route_cells[c].kind == kCodePoint && m.route_cells[c].info1 == 180) out.push_back(static_cast<int>(c));
    }
    return out;
  }

  scenario_model m;
  fault_state found;  // what the last pass returned
};

// --- rule A: signals before a warning board ------------------------------

TEST_F(PostProcessing, SignalBeforeBoardGetsCodePointInFront) {
  put(50, kWarningBoard, 30);
  put(48, kSignal);
  found = aggiungi_codici(m);
  EXPECT_EQ(code_points(), (std::vector<int>{47}));
  EXPECT_EQ(found.error_code, 0);
}

TEST_F(PostProcessing, ExistingCodePointBeforeSignalIsLoweredTo180) {
  struct row {
    int16_t code, after;
  };
  for (const row& r : {row{270, 180}, row{75, 75}, row{180, 180}}) {
    SCOPED_TRACE(r.code);
    reset();
    put(50, kWarningBoard, 30);
    put(48, kSignal);
    put(47, kCodePoint, r.code);
    occupy({46});
    found = aggiungi_codici(m);
    EXPECT_EQ(cell(47).info1, r.after);
    EXPECT_EQ(cell(46).kind, kSpeedBoard);
    EXPECT_EQ(found.error_code, 0);
  }
}

TEST_F(PostProcessing, FreeSecondCellWinsOverExistingCodePoint) {
  put(50, kWarningBoard, 30);
  put(48, kSignal);
  put(47, kCodePoint, 270);
  found = aggiungi_codici(m);
  EXPECT_EQ(cell(46).kind, kCodePoint);
  EXPECT_EQ(cell(46).info1, 180);
  EXPECT_EQ(cell(47).info1, 270);
}

TEST_F(PostProcessing, EverySignalWithinTwentyCellsOfBoard) {
  put(80, kWarningBoard, 30);
  put(70, kSignal);
  put(60, kSignal);
  put(59, kSignal);  // 21 cells before: out of reach
  found = aggiungi_codici(m);
  EXPECT_EQ(code_points(), (std::vector<int>{58, 69}));  // 59 is still the signal
  EXPECT_EQ(cell(59).kind, kSignal);
}

TEST_F(PostProcessing, SignalWithNoRoomBeforeItIsFault11) {
  put(50, kWarningBoard, 30);
  put(48, kSignal);
  occupy({47, 46});
  found = aggiungi_codici(m);
  EXPECT_EQ(found.error_code, 11);
  EXPECT_EQ(found.error_position, 48 * 50);
}

// --- rules B1 to B3: before a slowdown start ------------------------------

TEST_F(PostProcessing, CodePointsBeforeStartOnlyWhereTheyFit) {
  struct row {
    int start;
    std::vector<int> taken;
    int32_t fault;
  };
  const row rows[] = {
      {6, {0, 1, 2, 3, 4, 5}, 0},  // nothing before cell 8 is tried
      {7, {0, 1, 2}, 0},
      {8, {1, 2, 3}, 12},
      {13, {0, 1, 2}, 0},  // B2 not yet
      {14, {1, 2, 3}, 12},
      {20, {0, 1, 2}, 0},  // B3 not yet
      {21, {1, 2, 3}, 12},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.start);
    reset();
    put(r.start, kSlowdownStart, 120);
    for (int c : r.taken) put(c, kSpeedBoard);
    found = aggiungi_codici(m);
    EXPECT_EQ(found.error_code, r.fault);
    if (r.fault != 0) {
      EXPECT_EQ(found.error_position, r.start * 50);
    }
  }
}

TEST_F(PostProcessing, NoRoomAtFirstDistanceStillTriesTheOthers) {
  slowdown(100, 118, 120);
  occupy({95, 94, 93});
  found = aggiungi_codici(m);
  EXPECT_EQ(found.error_code, 12);
  EXPECT_EQ(found.error_position, 5000);
  EXPECT_EQ(code_points(), (std::vector<int>{82, 89}));
}

TEST_F(PostProcessing, FirstFreeOfThreeCellsIsTaken) {
  slowdown(100, 118, 120);
  occupy({95, 89});
  put(82, kTunnelMarker);  // overwritten
  found = aggiungi_codici(m);
  EXPECT_EQ(code_points(), (std::vector<int>{82, 88, 94}));
}

// --- rules B4 and B5: inside a slow slowdown and after it -------------------

TEST_F(PostProcessing, SlowSlowdownGetsCodePointsEveryEightCells) {
  slowdown(100, 118, 30);
  found = aggiungi_codici(m);
  EXPECT_EQ(code_points(), (std::vector<int>{82, 89, 95, 108, 116}));
  EXPECT_EQ(found.error_code, 0);
}

TEST_F(PostProcessing, TakenCellShiftsTheSpacing) {
  struct row {
    std::vector<int> taken;
    std::vector<int> inside;  // code points between start 100 and end 130
    int32_t fault;
  };
  const row rows[] = {
      {{}, {108, 116, 124}, 0},
      {{108}, {107, 115, 123}, 0},       // one before: next 8 cells from there
      {{107, 108}, {109, 117, 125}, 0},  // one after
      {{107, 108, 109}, {}, 13},         // none further inside
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.taken.size());
    reset();
    slowdown(100, 130, 30);
    for (int c : r.taken) put(c, kSpeedBoard);
    found = aggiungi_codici(m);
    std::vector<int> inside;
    for (int c : code_points()) {
      if (c > 100) inside.push_back(c);
    }
    EXPECT_EQ(inside, r.inside);
    EXPECT_EQ(found.error_code, r.fault);
    if (r.fault != 0) {
      EXPECT_EQ(found.error_position, 108 * 50);
    }
  }
}

TEST_F(PostProcessing, FirstSignalAfterSlowSlowdown) {
  struct row {
    int signal;
    std::vector<int> taken;
    int expected;  // cell of its code point, -1 none
    int32_t fault;
  };
  const row rows[] = {
      {122, {}, 121, 0},
      {130, {}, 129, 0},  // 12 cells after the end
      {131, {}, -1, 0},   // beyond reach
      {119, {}, 117, 0},  // the end cell itself is taken
      {122, {121}, 120, 0},
      {122, {121, 120}, -1, 13},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.signal);
    reset();
    slowdown(100, 118, 30);
    put(r.signal, kSignal);
    for (int c : r.taken) put(c, kSpeedBoard);
    found = aggiungi_codici(m);
    std::vector<int> after;
    for (int c : code_points()) {
      if (c > 116) after.push_back(c);
    }
    EXPECT_EQ(after, r.expected < 0 ? std::vector<int>{} : std::vector<int>{r.expected});
    EXPECT_EQ(found.error_code, r.fault);
    if (r.fault != 0) {
      EXPECT_EQ(found.error_position, 118 * 50);
    }
  }
}

// A fast slowdown has no end cell found by the walk, so no code point goes
// before the signal after it either.
TEST_F(PostProcessing, FastSlowdownGetsNothingInsideOrAfter) {
  for (int16_t speed : {int16_t{110}, int16_t{160}}) {
    SCOPED_TRACE(speed);
    reset();
    slowdown(100, 130, speed);
    put(132, kSignal);
    found = aggiungi_codici(m);
    EXPECT_EQ(code_points(), (std::vector<int>{82, 89, 95}));
  }
  reset();
  slowdown(100, 130, 109);
  put(132, kSignal);
  found = aggiungi_codici(m);
  EXPECT_EQ(code_points(), (std::vector<int>{82, 89, 95, 108, 116, 124, 131}));
}

// A slowdown whose end shares its start's cell has no end of its own: no
// code point inside it and none before the next signal; the code points
// before it (B1 to B3) stay.
TEST_F(PostProcessing, SlowdownWithoutEndCellGetsNothingInside) {
  slowdown(100, 100, 30);
  slowdown(120, 130, 120);
  put(132, kSignal);
  found = aggiungi_codici(m);
  // 82, 89, 95 before the first start; 102, 109, 115 before the second.
  EXPECT_EQ(code_points(), (std::vector<int>{82, 89, 95, 102, 109, 115}));
  EXPECT_EQ(found.error_code, 0);
}

// B4 runs from a slowdown's start to the first slowdown end after it,
// whichever slowdown that end belongs to; only a slowdown whose end fell
// into its own start cell has no end, and then gets neither B4 nor B5.
TEST_F(PostProcessing, CodePointsOfOverlappingSlowdowns) {
  struct span {
    int start, end;
  };
  struct row {
    const char* name;
    std::vector<span> slowdowns;  // all at 40 km/h
    std::vector<int> signals;
    std::vector<int> code_points;
  };
  const row rows[] = {
      // A: 56 and 64 inside, stops at B's end 66; B5 from 66 finds the
      // signal at 70 (69), and B's own B5 then takes 68.
      {"nested", {{48, 108}, {60, 66}}, {70}, {30, 37, 42, 43, 49, 55, 56, 64, 68, 69}},
      {"overlapping", {{48, 70}, {60, 90}}, {}, {30, 37, 42, 43, 49, 55, 56, 64, 68}},
      {"consecutive", {{48, 60}, {80, 100}}, {}, {30, 37, 43, 56, 62, 69, 75, 88, 96}},
      {"shared cell", {{48, 48}}, {50}, {30, 37, 43}},
      // The shared-cell slowdown does not take the later one's end as its own.
      {"shared cell, then an ordinary one", {{48, 48}, {100, 118}}, {}, {30, 37, 43, 82, 89, 95, 108, 116}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    reset();
    for (const span& sd : r.slowdowns) slowdown(sd.start, sd.end, 40);
    for (int g : r.signals) put(g, kSignal);
    found = aggiungi_codici(m);
    EXPECT_EQ(code_points(), r.code_points);
    EXPECT_FALSE(found);
  }
}

TEST_F(PostProcessing, WalkEndsWithinTheCells) {
  struct row {
    int start, end;
    std::vector<int> inside;
  };
  const row rows[] = {
      {170, 170, {}},          // no end cell: nothing inside
      {180, 199, {188, 196}},  // end in the last cell: B5 looks past it
      {190, 190, {}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.start);
    reset();
    slowdown(r.start, r.end, 30);
    found = aggiungi_codici(m);
    std::vector<int> inside;
    for (int c : code_points()) {
      if (c > r.start) inside.push_back(c);
    }
    EXPECT_EQ(inside, r.inside);
    EXPECT_EQ(found.error_code, 0);
  }
}

TEST_F(PostProcessing, CellsOutsideOneToLastMinusTwoTriggerNothing) {
  slowdown(0, 10, 30);                // cell 0 is never looked at
  put(198, kSlowdownStart, 30);       // nor is last_cell - 1
  found = aggiungi_codici(m);
  EXPECT_TRUE(code_points().empty());
}

// --- faults -------------------------------------------------------------

TEST_F(PostProcessing, LaterFaultReplacesEarlierAndPassGoesOn) {
  put(40, kWarningBoard, 30);
  put(30, kSignal);
  occupy({29, 28});  // fault 11 at cell 30
  slowdown(100, 118, 30);
  occupy({95, 94, 93});  // fault 12 at cell 100
  found = aggiungi_codici(m);
  EXPECT_EQ(found.error_code, 12);
  EXPECT_EQ(found.error_position, 5000);
  EXPECT_EQ(code_points(), (std::vector<int>{82, 89, 108, 116}));
}

}  // namespace
}  // namespace scenario
