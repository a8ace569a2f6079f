#include "tool/map/imported_track.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "model/definition_files.h"
#include "model/file_names.h"

namespace scenario::tool {

std::vector<plan_xy> read_imported_track(const std::string& directory, const std::string& route) {
  std::vector<plan_xy> track;
  const std::optional<std::string> text = read_whole_file(path_in(directory, route + "_import.json"));
  if (!text) return track;
  const nlohmann::json report = nlohmann::json::parse(*text, nullptr, false);
  if (!report.is_object() || !report.contains("track_in_plan") || !report["track_in_plan"].is_array()) return track;
  for (const nlohmann::json& p : report["track_in_plan"]) {
    if (!p.is_array() || p.size() != 2 || !p[0].is_number() || !p[1].is_number()) return {};
    const double x = p[0].get<double>(), y = p[1].get<double>();
    if (!std::isfinite(x) || !std::isfinite(y)) return {};
    track.push_back({x, y});
  }
  return track;
}

}  // namespace scenario::tool
