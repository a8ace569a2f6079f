#include "tool/import/projection.h"

#include <proj.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace scenario::tool::import {

// A context of its own: PROJ's default one is shared by the whole process.
struct local_projection::state {
  PJ_CONTEXT* context = nullptr;
  PJ* transform = nullptr;
};

local_projection::local_projection(geo_point centre) : state_(std::make_unique<state>()) {
  state_->context = proj_context_create();
  if (state_->context == nullptr) throw std::runtime_error("PROJ: nessun contesto");
  char definition[160];
  std::snprintf(definition, sizeof definition, "+proj=tmerc +lat_0=%.9f +lon_0=%.9f +k=1 +x_0=0 +y_0=0 +ellps=WGS84",
                centre.lat, centre.lon);
  state_->transform = proj_create(state_->context, definition);
  if (state_->transform == nullptr) {
    proj_context_destroy(state_->context);
    throw std::runtime_error(std::string("PROJ: proiezione non valida: ") + definition);
  }
}

local_projection::~local_projection() {
  proj_destroy(state_->transform);
  proj_context_destroy(state_->context);
}

track_xy local_projection::to_metres(geo_point p) const {
  const PJ_COORD in = proj_coord(proj_torad(p.lon), proj_torad(p.lat), 0, 0);
  const PJ_COORD out = proj_trans(state_->transform, PJ_FWD, in);
  return {out.xy.x, out.xy.y};
}

}  // namespace scenario::tool::import
