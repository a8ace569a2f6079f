#include "model/placement.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "model/nearest.h"

namespace scenario {
namespace {

constexpr int32_t kBoardThreshold = 1500;  // metres: above it a slowdown has a warning board
constexpr int32_t kBoardDistance = 1200;   // metres from the board to the slowdown start
constexpr int32_t kTunnelGap = 150;        // metres: a closer tunnel joins the one before (type 3)

// Narrow fields keep the low bits of the whole result.
int16_t low16(int64_t v) { return static_cast<int16_t>(v); }
uint8_t low8(int64_t v) { return static_cast<uint8_t>(v); }

// Highest index that really exists: the cells run 0 to last_cell.
int64_t top_cell(const scenario_model& m) {
  return std::min<int64_t>(m.last_cell, static_cast<int64_t>(m.route_cells.size()) - 1);
}

bool inside(const scenario_model& m, int64_t c) { return c >= 0 && c <= top_cell(m); }

route_cell& at(scenario_model& m, int64_t c) { return m.route_cells[static_cast<std::size_t>(c)]; }

bool fits16(int64_t v) {
  return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}
bool fits8(int64_t v) { return v >= 0 && v <= 255; }

refusal refuse(fault_code code, int argument = -1) { return refusal{code, argument, {}, {}}; }

// A cell already taken: refused, naming the record that holds it.
refusal taken(fault_code code, const route_cell& cell, int argument = 0) {
  return refusal{code, argument, {}, cell.placed_by};
}

// A value whose stored form does not fit its field: refused, never wrapped.
refusal does_not_fit(int argument, int64_t stored, const char* field) {
  return refusal{kReadFault, argument,
                 "il valore " + std::to_string(stored) + " non entra nel campo " + field + " della cella", {}};
}
constexpr char kWord[] = "a 16 bit (da -32768 a 32767)";

// Words for a stretch whose far end lies outside the cells.
std::string beyond_cells(const scenario_model& m, const char* what, int64_t end) {
  return std::string(what) + " arriva a " + std::to_string(end) + " m, oltre l'ultima cella del percorso, a " +
         std::to_string(top_cell(m) * 50) + " m";
}
constexpr char kByte[] = "a 8 bit (da 0 a 255)";

// A packed board speed: the first speed in steps of 20, the second in steps
// of 5, in one 16-bit word.
int64_t packed_speed(int32_t second, int32_t first) {
  return nearest_whole(static_cast<double>(second) / 5.0 + static_cast<double>(int64_t{first} * 20));
}

struct progression {
  int32_t position = 0;  // route position from which it holds
  int32_t value = 0;     // kilometric value
  int32_t flag = 0;
};

}  // namespace

tunnel_stretch tunnel_cells(const scenario_model& model, int32_t inizio, int32_t fine, int32_t tipo) {
  tunnel_stretch t;
  t.marked = tipo > 10;
  t.type = t.marked ? int64_t{tipo} - 10 : int64_t{tipo};
  t.first = nearest_whole(static_cast<double>(inizio) / 50.0);
  t.last = nearest_whole(static_cast<double>(fine) / 50.0 - 1.0);
  // Only the record just before counts, as received.
  const int32_t n = model.tunnel_count;
  if (n >= 1 && static_cast<std::size_t>(n) < model.tunnel_ends.size() &&
      int64_t{inizio} - model.tunnel_ends[static_cast<std::size_t>(n)] <= kTunnelGap) {
    t.joined = true;
    t.type = 3;
  }
  return t;
}

refusal memo_montagna(scenario_model& model, int32_t inizio, int32_t fine, int32_t tipo) {
  if (fine < inizio) {
    return refusal{kReadFault, 1,
                   "la galleria finisce a " + std::to_string(fine) + " m, prima del suo inizio a " +
                       std::to_string(inizio) + " m: i campi sono inizio, fine, tipo", {}};
  }
  const tunnel_stretch t = tunnel_cells(model, inizio, fine, tipo);
  // The loader tests only the start; a stretch reaching outside the cells
  // is refused whole, before it counts for the gap test of the next one.
  if (t.covers_cells() && (!inside(model, t.first) || !inside(model, t.last))) {
    return refusal{kOutsideRouteFault, 1, beyond_cells(model, "la galleria", fine), {}};
  }
  // The lists hold records 1 to 80; index 0 stays unused.
  const int32_t capacity = static_cast<int32_t>(model.tunnel_starts.size()) - 1;
  if (model.tunnel_count < 0 || model.tunnel_count >= capacity) return refuse(kTableFullFault);
  // A type replaced by the gap rule, or given to no cell, is never stored.
  if (t.type_stored() && !fits8(t.type)) return does_not_fit(2, t.type, kByte);

  const int32_t n = ++model.tunnel_count;
  model.tunnel_starts[static_cast<std::size_t>(n)] = inizio;
  model.tunnel_ends[static_cast<std::size_t>(n)] = fine;

  int64_t count = 1;
  for (int64_t c = t.first; c <= t.last; ++c, ++count) {
    route_cell& cell = at(model, c);
    cell.tunnel_kind = low8(t.type);
    if (t.marked && count % 4 == 0 && cell.kind == kEmpty) cell.kind = kTunnelMarker;
  }
  return {};
}

refusal memo_indicatori_v_max(scenario_model& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                              int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced,
                              const record_place& by) {
  const int64_t c = cell_of(posizione);
  // The loader keeps the board inside the cells; a direct call is held to it too.
  if (!inside(model, c)) return refuse(kOutsideRouteFault, 0);
  if (!is_free(at(model, c))) return taken(kSpeedBoardTakenFault, at(model, c));
  // Every stored value is worked out before the cell changes, so a value
  // out of range leaves it as it was.
  const int64_t packed[3] = {packed_speed(vad, vas), packed_speed(vbd, vbs), packed_speed(vcd, vcs)};
  for (int i = 0; i < 3; ++i) {
    if (!fits16(packed[i])) return does_not_fit(1 + i, packed[i], kWord);
  }
  const int64_t stripes = int64_t{strisces} * 10 + strisced;
  if (!fits16(stripes)) return does_not_fit(4, stripes, kWord);

  route_cell& cell = at(model, c);
  cell.kind = kSpeedBoard;
  cell.placed_by = by;
  cell.info1 = low16(packed[0]);
  cell.info2 = low16(packed[1]);
  cell.info3 = low16(packed[2]);
  cell.info4 = low16(stripes);
  return {};
}

refusal memo_segnale(scenario_model& model, int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3,
                     int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t& tempo,
                     const record_place& by) {
  const int64_t c = cell_of(posizione);
  // The loader keeps the signal inside the cells; a direct call is held to it too.
  if (!inside(model, c)) return refuse(kOutsideRouteFault, 0);
  if (!is_free(at(model, c))) return taken(kSignalTakenFault, at(model, c));
  const int64_t aspect = int64_t{sx} * 3 + dx;
  const int64_t info4 = int64_t{rapp} * 10 + aspect;
  const int64_t info[3] = {int64_t{s1} * 10 + d1, int64_t{s2} * 10 + d2, int64_t{s3} * 10 + d3};
  if (!fits16(info4)) return does_not_fit(5, info4, kWord);
  for (int i = 0; i < 3; ++i) {
    if (!fits16(info[i])) return does_not_fit(2 + i, info[i], kWord);
  }
  const int32_t raised = tempo >= 1 && tempo <= 100 ? 101 : tempo;
  if (sx == 2 && !fits8(raised)) return does_not_fit(10, raised, kByte);

  tempo = raised;
  route_cell& cell = at(model, c);
  cell.kind = kSignal;
  cell.placed_by = by;
  cell.info4 = low16(info4);
  cell.info1 = low16(info[0]);
  cell.info2 = low16(info[1]);
  cell.info3 = low16(info[2]);
  cell.signal_time = sx == 2 ? low8(tempo) : uint8_t{0};

  // Marks 100 to 400 m before the signal, computed in 8 bits. A signal
  // before 325 m would put some of them before cell 0: those are skipped,
  // the rest stand.
  const int64_t kept = 4 - approach_marks_left_out(posizione);
  for (int64_t j = 1; j <= kept; ++j) at(model, c - 2 * j).approach_mark = low8(aspect * 10 + j);
  return {};
}

int approach_marks_left_out(int32_t posizione) {
  const int64_t c = cell_of(posizione);
  int left_out = 0;
  for (int64_t j = 1; j <= 4; ++j) {
    if (c - 2 * j < 0) ++left_out;
  }
  return left_out;
}

refusal memo_rallentamento(scenario_model& model, int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta,
                           int32_t d_v, const record_place& by) {
  if (l < 0) {
    return refusal{kReadFault, 2,
                   "la lunghezza del rallentamento e' negativa (" + std::to_string(l) +
                       " m): la fine verrebbe prima dell'inizio", {}};
  }
  const bool board = x > kBoardThreshold;
  if (!board) f_ta = 0;
  const int64_t s = cell_of(x);
  const int64_t e = cell_of(int64_t{x} + l);
  const int64_t w = cell_of(int64_t{x} - kBoardDistance);
  const int64_t k = nearest_whole(static_cast<double>(int64_t{x} - kBoardDistance) / 50.0);

  // The loader tests only the start; an end (or any other cell of the
  // slowdown) outside the cells refuses the record before anything is written.
  if (!inside(model, s)) return refuse(kOutsideRouteFault, 0);
  if (!inside(model, e)) {
    return refusal{kOutsideRouteFault, 2, beyond_cells(model, "il rallentamento", int64_t{x} + l), {}};
  }
  if ((board && !inside(model, w)) || (f_ta != 0 && !(inside(model, k) && inside(model, k - 3)))) {
    return refuse(kOutsideRouteFault, 0);
  }
  if (board && !is_free(at(model, w))) return taken(kWarningTakenFault, at(model, w));
  if (!is_free(at(model, s))) return taken(kStartTakenFault, at(model, s));
  if (!is_free(at(model, e))) return taken(kEndTakenFault, at(model, e), 2);
  if (!fits16(v)) return does_not_fit(1, v, kWord);
  if (!fits16(f_tt)) return does_not_fit(3, f_tt, kWord);
  if (!fits16(d_v)) return does_not_fit(5, d_v, kWord);

  // End before start: when both share a cell, the start wins, and the
  // slowdown has no end cell of its own.
  at(model, e).kind = kSlowdownEnd;
  at(model, e).placed_by = by;
  if (d_v != 0) at(model, e).info2 = low16(d_v);
  at(model, s).kind = kSlowdownStart;
  at(model, s).placed_by = by;
  at(model, s).slowdown_end_cell = static_cast<int32_t>(e);
  if (d_v != 0) at(model, s).info2 = low16(d_v);
  if (board) {
    route_cell& wc = at(model, w);
    wc.kind = kWarningBoard;
    wc.placed_by = by;
    if (d_v != 0) wc.info2 = low16(d_v);
    wc.info1 = low16(v);
  }
  at(model, s).info1 = low16(v);
  at(model, e).info1 = low16(v);
  at(model, s).info3 = low16(f_tt);
  at(model, e).info3 = low16(f_tt);

  if (f_ta == 0) return {};
  for (int64_t i = 0; i <= 3; ++i) {
    // Start, end and board stay as written.
    if (!is_free(at(model, k - i))) return taken(kApproachTakenFault, at(model, k - i));
  }
  for (int64_t i = 0; i <= 3; ++i) {
    route_cell& a = at(model, k - i);
    a.kind = kWarningApproach;
    a.placed_by = by;
    a.info1 = low16(i + 1);
    if (d_v != 0) a.info2 = low16(i + 1);
  }
  return {};
}

refusal progressive_ordina(scenario_model& model) {
  std::array<progression, 3> in{};  // A, B, C: entries 81, 82, 83
  for (std::size_t i = 0; i < 3; ++i) {
    const item_entry& e = model.item_table[static_cast<std::size_t>(kProgressionTre) + i];
    in[i] = {e.start, e.end, e.position};
  }
  const progression& a = in[0];
  const progression& b = in[1];
  const progression& c = in[2];
  std::array<progression, 3> out{};  // all cleared unless an order is found

  if (int64_t{a.position} + b.position + c.position != 0) {
    for (std::size_t top = 0; top < 3; ++top) {
      // The other two in entry order; on equal positions the later entry comes second.
      const std::size_t lo = top == 0 ? 1 : 0;
      const std::size_t hi = top == 2 ? 1 : 2;
      if (in[top].position > in[lo].position && in[top].position > in[hi].position) {
        const bool lo_first = in[lo].position > in[hi].position;
        out = {in[top], in[lo_first ? lo : hi], in[lo_first ? hi : lo]};
        break;
      }
    }
  } else {
    if (a.value > 0) out = {a, b, c};
    if (b.value > 0) out = {b, a, c};
    if (c.value > 0) out = {c, b, a};
  }

  for (progression& p : out) {
    if (p.flag != 1) continue;
    // A value that cannot take the offset does not fit its field.
    if (p.value > std::numeric_limits<int32_t>::max() - 100) {
      return refusal{kReadFault, -1, "il valore della progressiva chilometrica non entra in un campo a 32 bit", {}};
    }
    p.value += 100;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    item_entry& e = model.item_table[static_cast<std::size_t>(kProgressionTre) + i];
    e.start = out[i].position;
    e.end = out[i].value;
    e.position = out[i].flag;
  }
  return {};
}

}  // namespace scenario
