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
    out.samples.push_back({at, altitude.value_or(0), ground && altitude.has_value()});
    if (at >= length) break;
  }
  return out;
}

std::vector<altitude_sample> sample_tags(const track& route) {
  std::vector<altitude_sample> out;
  for (size_t i = 0; i < route.points.size(); ++i) {
    if (!route.elevation[i]) continue;
    if (!out.empty() && route.chainage[i] <= out.back().at) continue;
    out.push_back({route.chainage[i], *route.elevation[i], on_ground(route, route.chainage[i])});
  }
  return out;
}

}  // namespace scenario::tool::import
