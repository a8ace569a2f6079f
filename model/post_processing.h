// Route post-processing: one pass over the route cells that adds code
// points (kind 12, code 180) before signals ahead of warning boards, before
// every slowdown start, inside slow slowdowns and in front of the first
// signal after them. Faults 11, 12 and 13 are recorded and the pass goes
// on; it returns the last one.
#ifndef MODEL_POST_PROCESSING_H_
#define MODEL_POST_PROCESSING_H_

#include <cstdint>

#include "model/model.h"

namespace scenario {

fault_state aggiungi_codici(scenario_model& model);

// The smaller of two numbers; x when they are equal.
inline int32_t minimo(int32_t x, int32_t y) { return x > y ? y : x; }

}  // namespace scenario

#endif  // MODEL_POST_PROCESSING_H_
