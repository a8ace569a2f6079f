// A transverse Mercator centred on the line: places in degrees to metres
// in a local frame (x east, y north), true to scale near the centre.
#ifndef TOOL_IMPORT_PROJECTION_H_
#define TOOL_IMPORT_PROJECTION_H_

#include <memory>

#include "tool/import/fit.h"
#include "tool/import/osm_data.h"

namespace scenario::tool::import {

class local_projection {
 public:
  // Throws std::runtime_error when the projection cannot be set up.
  explicit local_projection(geo_point centre);
  ~local_projection();
  local_projection(const local_projection&) = delete;
  local_projection& operator=(const local_projection&) = delete;

  track_xy to_metres(geo_point p) const;

 private:
  struct state;
  std::unique_ptr<state> state_;
};

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_PROJECTION_H_
