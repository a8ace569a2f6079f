#include "tool/import/projection.h"

#include <GeographicLib/Constants.hpp>
#include <GeographicLib/TransverseMercator.hpp>

#include <cmath>
#include <stdexcept>

namespace scenario::tool::import {

// A transverse Mercator on WGS 84 with a scale of 1 on its central
// meridian (the series of Krueger to the sixth order: well under a
// millimetre within a few hundred kilometres of it), its origin at the
// centre.
struct local_projection::state {
  GeographicLib::TransverseMercator mercator{GeographicLib::Constants::WGS84_a(),
                                             GeographicLib::Constants::WGS84_f(), 1.0};
  double lon0 = 0;
  double y0 = 0;
};

local_projection::local_projection(geo_point centre) : state_(std::make_unique<state>()) {
  if (!std::isfinite(centre.lat) || !std::isfinite(centre.lon) || std::abs(centre.lat) > 90) {
    throw std::runtime_error("proiezione: centro non valido");
  }
  state_->lon0 = centre.lon;
  double x0 = 0;
  state_->mercator.Forward(centre.lon, centre.lat, centre.lon, x0, state_->y0);
}

local_projection::~local_projection() = default;

track_xy local_projection::to_metres(geo_point p) const {
  double x = 0, y = 0;
  state_->mercator.Forward(state_->lon0, p.lat, p.lon, x, y);
  return {x, y - state_->y0};
}

}  // namespace scenario::tool::import
