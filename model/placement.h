// Record placement: each procedure turns one parsed definition record into
// marks on the route cells. A refused record is reported only through
// model.fault.error_code (16 to 21, or 15/10 for a record the cells cannot
// hold); the loader stops and stores the record's position. A value that
// does not fit its 16-bit field throws load_failure (fault 25).
#ifndef MODEL_PLACEMENT_H_
#define MODEL_PLACEMENT_H_

#include <cstdint>

#include "model/model.h"

namespace scenario {

// Tunnel stretch from `inizio` to `fine` of type `tipo` (above 10: marked).
void memo_montagna(scenario_model& model, int32_t inizio, int32_t fine, int32_t tipo);

// Maximum-speed indicator board.
void memo_indicatori_v_max(scenario_model& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced);

// Signal with its four approach marks; `tempo` from 1 to 100 is raised to 101.
void memo_segnale(scenario_model& model, int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3,
                  int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t& tempo);

// Temporary slowdown with its start, end, warning board and approach cells.
void memo_rallentamento(scenario_model& model, int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta,
                        int32_t d_v);

// Puts the three kilometric progressions (entries 81 to 83) in order.
void progressive_ordina(scenario_model& model);

}  // namespace scenario

#endif  // MODEL_PLACEMENT_H_
