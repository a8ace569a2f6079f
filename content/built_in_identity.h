// The identity of the scenario built into the program: the route name and
// train number its files are named from.
#ifndef CONTENT_BUILT_IN_IDENTITY_H_
#define CONTENT_BUILT_IN_IDENTITY_H_

#include "model/identity.h"

namespace scenario {

inline scenario_identity built_in_identity() { return {"Brenvalo_Morvena", "4815"}; }

}  // namespace scenario

#endif  // CONTENT_BUILT_IN_IDENTITY_H_
