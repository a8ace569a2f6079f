#include "model/post_processing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace scenario {
namespace {

constexpr int16_t kCode = 180;
constexpr int16_t kFastSlowdown = 110;  // km/h: from here on no code points inside
constexpr int64_t kSpacing = 8;         // cells between code points inside a slowdown
constexpr int64_t kBoardReach = 20;     // cells before a warning board searched for signals
constexpr int64_t kSignalReach = 12;    // cells after a slowdown end searched for a signal

// The cells as this pass sees them. An index outside 0..last_cell is an
// occupied cell of no kind: never free, never a code point, never a signal.
class cell_pass {
 public:
  explicit cell_pass(scenario_model& model)
      : model_(model), top_(std::min<int64_t>(model.last_cell, static_cast<int64_t>(model.route_cells.size()) - 1)) {}

  bool inside(int64_t c) const { return c >= 0 && c <= top_; }
  bool is(int64_t c, uint8_t kind) const { return inside(c) && cell(c).kind == kind; }
  bool vacant(int64_t c) const { return inside(c) && is_free(cell(c)); }
  const route_cell& cell(int64_t c) const { return model_.route_cells[static_cast<std::size_t>(c)]; }

  // A code point for the record `owner`; `pushed` holds the cell it
  // passed over when it could not stand where it was looking first.
  void place(int64_t c, const record_place& owner, const record_place& pushed = {}) {
    route_cell& r = model_.route_cells[static_cast<std::size_t>(c)];
    r.kind = kCodePoint;
    r.info1 = kCode;
    r.placed_by = owner;
    r.pushed_by = pushed;
  }
  const record_place& owner(int64_t c) const { return cell(c).placed_by; }
  void lower_code(int64_t c) {
    route_cell& r = model_.route_cells[static_cast<std::size_t>(c)];
    r.info1 = static_cast<int16_t>(minimo(kCode, r.info1));
  }
  // Recorded and the pass goes on; a later fault replaces this one. It
  // stands at the record the code point serves, `by`, and names the one
  // holding the cell it wanted, `met`; the compile adds the line's text.
  void fault(fault_code code, int64_t c, const record_place& by, const record_place& met) {
    fault_ = fault_state{};
    fault_.error_code = code;
    fault_.error_position = static_cast<int32_t>(c * 50);
    if (by.known()) fault_.site = source_site{by.file, by.line, 0, {}};
    fault_.met = met;
  }
  const fault_state& last_fault() const { return fault_; }

 private:
  scenario_model& model_;
  int64_t top_;
  fault_state fault_;
};

// Rule A: every signal within 20 cells before a warning board gets a code
// point one or two cells before it, or an existing one there is lowered.
void signals_before_board(cell_pass& p, int64_t i) {
  for (int64_t a = 1; a <= kBoardReach && i - a >= 3; ++a) {
    const int64_t s = i - a;
    if (!p.is(s, kSignal)) continue;
    if (p.vacant(s - 1)) {
      p.place(s - 1, p.owner(s));
    } else if (p.vacant(s - 2)) {
      p.place(s - 2, p.owner(s), p.owner(s - 1));
    } else if (p.is(s - 1, kCodePoint)) {
      p.lower_code(s - 1);
    } else if (p.is(s - 2, kCodePoint)) {
      p.lower_code(s - 2);
    } else {
      p.fault(kSignalCodeFault, s, p.owner(s), p.owner(s - 1));
    }
  }
}

// B1 to B3: a code point in the first free cell of i - near .. i - near - 2.
void before_start(cell_pass& p, int64_t i, int64_t near) {
  if (i <= near + 2) return;
  for (int64_t c = i - near; c >= i - near - 2; --c) {
    if (p.vacant(c)) {
      p.place(c, p.owner(i), c < i - near ? p.owner(c + 1) : record_place{});
      return;
    }
  }
  p.fault(kBeforeStartCodeFault, i, p.owner(i), p.owner(i - near));
}

// B4: a code point every 8 cells from the start up to the first slowdown
// end after it, whichever slowdown that end belongs to. Returns that end
// cell, or -1 when the cells ran out first (the end was overwritten).
int64_t inside_slowdown(cell_pass& p, int64_t i) {
  int64_t n = 0;
  for (int64_t c = i + 1; p.inside(c); ++c) {
    ++n;
    if (n == kSpacing) {
      if (p.vacant(c)) {
        p.place(c, p.owner(i));
        n = 0;
      } else if (p.vacant(c - 1)) {
        p.place(c - 1, p.owner(i), p.owner(c));
        n = 1;
      } else if (p.vacant(c + 1)) {
        p.place(c + 1, p.owner(i), p.owner(c));
        n = -1;
      } else {
        // n stays at 8: nothing more inside this slowdown.
        p.fault(kInsideCodeFault, c, p.owner(i), p.owner(c));
      }
    }
    if (p.is(c, kSlowdownEnd)) return c;
  }
  return -1;
}

// B5: a code point in front of the first signal within 12 cells of the end.
void first_signal_after(cell_pass& p, int64_t end) {
  for (int64_t g = end; g <= end + kSignalReach; ++g) {
    if (!p.is(g, kSignal)) continue;
    if (g - 1 <= 0) return;
    if (p.vacant(g - 1)) {
      p.place(g - 1, p.owner(g));
    } else if (p.vacant(g - 2)) {
      p.place(g - 2, p.owner(g), p.owner(g - 1));
    } else {
      p.fault(kInsideCodeFault, end, p.owner(end), p.owner(g - 1));
    }
    return;
  }
}

}  // namespace

fault_state aggiungi_codici(scenario_model& model) {
  cell_pass p(model);
  const int64_t last = int64_t{model.last_cell} - 2;
  for (int64_t i = 1; i <= last && p.inside(i); ++i) {
    const uint8_t kind = p.cell(i).kind;
    if (kind == kWarningBoard) {
      signals_before_board(p, i);
    } else if (kind == kSlowdownStart) {
      before_start(p, i, 5);
      before_start(p, i, 11);
      before_start(p, i, 18);
      // A fast slowdown has no code points inside and so no end cell to
      // search from: it gets no code point before the signal after it. A
      // slowdown whose end fell into its start's cell gets neither.
      if (p.cell(i).info1 < kFastSlowdown && p.cell(i).slowdown_end_cell != i) {
        const int64_t end = inside_slowdown(p, i);
        if (end >= 0) first_signal_after(p, end);
      }
    }
  }
  return p.last_fault();
}

}  // namespace scenario
