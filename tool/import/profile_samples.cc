#include "tool/import/profile_samples.h"

#include <cstdio>

namespace scenario::tool::import {
namespace {

bool on_ground(const track& route, double at) {
  for (const auto* stretches : {&route.tunnels, &route.bridges}) {
    for (const track_stretch& s : *stretches) {
      if (at > s.start && at < s.end) return false;
    }
  }
  return true;
}

}  // namespace

bool plausible_altitude(double altitude) { return altitude >= kLowestAltitude && altitude <= kHighestAltitude; }

sampled_profile sample_model(const track& route, const elevation_model& model, const std::string& source) {
  sampled_profile out;
  const double length = route.length();
  for (double at = 0;; at += kSampleSpacing) {
    if (at > length) at = length;
    const bool ground = on_ground(route, at);
    const geo_point p = route.place_at(at);
    const auto altitude = model.altitude(p.lon, p.lat);
    if (!altitude && ground) {
      char where[96];
      std::snprintf(where, sizeof where, " al km %.3f (lat %.5f, lon %.5f)", at / 1000, p.lat, p.lon);
      return {{}, "il modello di elevazione " + source + " non copre il percorso" + where};
    }
    const bool plausible = altitude && plausible_altitude(*altitude);
    if (altitude && !plausible) ++out.implausible;
    out.samples.push_back({at, plausible ? *altitude : 0, ground && plausible});
    if (at >= length) break;
  }
  return out;
}

sampled_profile sample_tags(const track& route) {
  sampled_profile out;
  for (size_t i = 0; i < route.points.size(); ++i) {
    if (!route.elevation[i]) continue;
    if (!plausible_altitude(*route.elevation[i])) {
      ++out.implausible;
      continue;
    }
    if (!out.samples.empty() && route.chainage[i] <= out.samples.back().at) continue;
    out.samples.push_back({route.chainage[i], *route.elevation[i], on_ground(route, route.chainage[i])});
  }
  return out;
}

}  // namespace scenario::tool::import
