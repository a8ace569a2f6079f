#include "tool/import/report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>

#include "model/ansi_text.h"

namespace scenario::tool::import {
namespace {

double tenth(double v) { return std::round(v * 10) / 10; }

nlohmann::json deviation_json(const deviation& d) {
  return {{"max_m", tenth(d.max)}, {"rms_m", tenth(d.rms)}, {"max_at_km", std::round(d.max_at) / 1000}};
}

nlohmann::json stretches_json(const std::vector<track_stretch>& stretches) {
  nlohmann::json out = nlohmann::json::array();
  for (const track_stretch& s : stretches) {
    out.push_back({{"start_m", std::lround(s.start)}, {"end_m", std::lround(s.end)}, {"name", s.name}});
  }
  return out;
}

std::array<int, 6> curves_by_class(const plan_fit& plan) {
  std::array<int, 6> count{};
  for (const fitted_curve& c : plan.curves) ++count[static_cast<size_t>(std::clamp(c.sharpness, 1, 6) - 1)];
  return count;
}

std::vector<std::string> all_skipped(const import_summary& s) {
  std::vector<std::string> out = s.skipped;
  out.insert(out.end(), s.route->skipped.begin(), s.route->skipped.end());
  out.insert(out.end(), s.written->skipped.begin(), s.written->skipped.end());
  return out;
}

std::string km(double m) {
  char text[32];
  std::snprintf(text, sizeof text, "km %.3f", m / 1000);
  return text;
}

std::string fixed(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", v);
  return text;
}

}  // namespace

std::string report_name(const std::string& route) { return route + "_import.json"; }

std::string report_json(const import_summary& s) {
  nlohmann::json r;
  r["source"] = s.source;
  r["from"] = s.from;
  r["to"] = s.to;
  if (!s.via.empty()) r["via"] = s.via;
  r["track_length_m"] = tenth(s.route->length());
  r["route_length_m"] = s.written->route_length;
  const auto by_class = curves_by_class(*s.plan);
  r["curves"] = {{"count", s.plan->curves.size()}, {"by_class", by_class}};
  r["plan_deviation"] = deviation_json(s.plan->across);
  r["gradients"] = {{"count", s.profile->gradients.size()},
                    {"source", s.elevation_source},
                    {"flat", s.flat},
                    {"start_altitude_m", tenth(s.profile->start_altitude)},
                    {"deviation", deviation_json(s.profile->vertical)}};
  r["tunnels"] = stretches_json(s.route->tunnels);
  r["bridges"] = stretches_json(s.route->bridges);
  nlohmann::json stations = nlohmann::json::array();
  for (const written_station& st : s.written->stations) {
    stations.push_back({{"name", ansi_to_utf8(st.name)}, {"position_m", st.position}, {"kind", st.kind},
                        {"length_m", st.length}});
  }
  r["stations"] = stations;
  r["transliterated"] = s.written->transliterated;
  r["switches"] = s.path->switches;
  r["way_changes"] = s.path->way_changes;
  r["skipped"] = all_skipped(s);
  r["seconds"] = std::round(s.seconds * 1000) / 1000;
  // The track in the plan's frame for drawing it under the compiled plan:
  // a point at least kTrackPointSpacing from the one before, and the last,
  // so that its size follows the route's length, not the map's nodes.
  nlohmann::json points = nlohmann::json::array();
  const std::vector<track_xy>& track = s.plan->track_in_plan;
  for (size_t i = 0, kept = 0; i < track.size(); ++i) {
    if (i > 0 && i + 1 < track.size() &&
        std::hypot(track[i].x - track[kept].x, track[i].y - track[kept].y) < kTrackPointSpacing) {
      continue;
    }
    points.push_back({tenth(track[i].x), tenth(track[i].y)});
    kept = i;
  }
  r["track_in_plan"] = points;
  return r.dump(1) + "\n";
}

void print_summary(const import_summary& s, std::ostream& err) {
  const auto by_class = curves_by_class(*s.plan);
  err << "importata: " << s.from << " - " << s.to << ", binario " << fixed(s.route->length() / 1000)
      << " km, percorso " << s.written->route_length << " m\n";
  err << "curve: " << s.plan->curves.size() << " (per classe 1-6:";
  for (int n : by_class) err << " " << n;
  err << ")\n";
  err << "scostamento della pianta dal binario: max " << fixed(s.plan->across.max) << " m al "
      << km(s.plan->across.max_at) << ", scarto quadratico medio " << fixed(s.plan->across.rms) << " m\n";
  err << "pendenze: " << s.profile->gradients.size() << " (" << s.elevation_source << "), scostamento max "
      << fixed(s.profile->vertical.max) << " m al " << km(s.profile->vertical.max_at) << ", medio "
      << fixed(s.profile->vertical.rms) << " m\n";
  err << "gallerie: " << s.route->tunnels.size() << ", ponti: " << s.route->bridges.size()
      << ", stazioni: " << s.written->stations.size() << ", scambi attraversati: " << s.path->switches << "\n";
  for (const std::string& name : s.written->transliterated) {
    err << "nome traslitterato in Windows-1252: " << name << "\n";
  }
  for (const std::string& why : all_skipped(s)) err << "tralasciato: " << why << "\n";
}

}  // namespace scenario::tool::import
