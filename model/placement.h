// Record placement: each procedure turns one parsed definition record into
// marks on the route cells, or returns why it refuses the record: a cell
// already taken (16 to 21), a stretch the cells or lists cannot hold (15,
// 10), or a value whose stored form does not fit its field (25). A refused
// record leaves the cells as they were, but for fault 20 (the slowdown
// stands in part already); the loader stores the record's position.
#ifndef MODEL_PLACEMENT_H_
#define MODEL_PLACEMENT_H_

#include <cstdint>
#include <string>

#include "model/findings.h"
#include "model/model.h"

namespace scenario {

// Why a procedure refused its record; `argument` is the 0-based index of
// the procedure's argument at fault (after the model), -1 for the record
// as a whole.
struct refusal {
  fault_code code = kNoFault;
  int argument = -1;
  std::string detail;
  record_place met;  // for a cell already taken: the record holding it

  explicit operator bool() const { return code != kNoFault; }
};

// What memo_montagna stores for a tunnel record placed next: the cells
// from `first` to `last` (none when first is above last) take `type`, the
// type less 10 when marked, or 3 when the record starts at most 150 m
// after the end of the record before it (`joined`).
struct tunnel_stretch {
  int64_t first = 0;
  int64_t last = -1;
  bool marked = false;
  bool joined = false;
  int64_t type = 0;

  bool covers_cells() const { return first <= last; }
  // Whether the record's own type reaches the cells.
  bool type_stored() const { return covers_cells() && !joined; }
};
tunnel_stretch tunnel_cells(const scenario_model& model, int32_t inizio, int32_t fine, int32_t tipo);

// Tunnel stretch from `inizio` to `fine` of type `tipo` (above 10: marked).
// Refuses (25) an end before the start, and a type that does not fit its
// byte only where it is stored.
refusal memo_montagna(scenario_model& model, int32_t inizio, int32_t fine, int32_t tipo);

// Each procedure marks the cells it takes as placed by `by`, the record
// being placed.

// Maximum-speed indicator board.
refusal memo_indicatori_v_max(scenario_model& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                              int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced,
                              const record_place& by = {});

// How many of the four approach marks of a signal at `posizione` would
// fall before cell 0 (a signal before 325 m); they are left out, the
// farthest first.
int approach_marks_left_out(int32_t posizione);

// Signal with its four approach marks; `tempo` from 1 to 100 is raised to 101.
refusal memo_segnale(scenario_model& model, int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3,
                     int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t& tempo,
                     const record_place& by = {});

// Temporary slowdown with its start, end, warning board and approach cells.
// Refuses (25) a negative length, which would put its end before its start.
refusal memo_rallentamento(scenario_model& model, int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta,
                           int32_t d_v, const record_place& by = {});

// Puts the three kilometric progressions (entries 81 to 83) in order.
// Refuses (25) a value that cannot take the offset of flag 1.
refusal progressive_ordina(scenario_model& model);

}  // namespace scenario

#endif  // MODEL_PLACEMENT_H_
